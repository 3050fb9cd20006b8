// Frame-by-frame decoding over the engine's frame decoders: the caller's frames take the
// place of the file walk, and each decoded frame's samples are handed back.
#include "engine/framedecoder.h"

#include <algorithm>
#include <optional>

#include "api/sessionstate.h"
#include "engine/readframe.h"
#include "engine/settings.h"

namespace tonvex {

struct framedecoder::state {
    // A fresh job has the settings and random state of a fresh session.
    explicit state(const session* settings) {
        if (settings) {
            for (const settinginfo& setting : settinglist())
                setsetting(job, setting.name, *getsetting(settings->s->job, setting.name));
            job.random.seed(settings->s->job.random.state());
        }
        job.hooks.messages = messagesink([this](const std::string& text) { shown = text; });
        // The reader takes the header configuration as it stands now.
        reader.emplace(job, nullptr, 0, false);
        decoders.emplace(job, *reader);
    }
    std::vector<std::int16_t> run(bool lost) {
        if (!built) return {};
        decoders->decode(lost, frameno++);
        const std::int16_t* samples = job.pcmfilebuf.get();
        return {samples, samples + static_cast<std::ptrdiff_t>(decoders->nch) * job.framelen};
    }
    bool take(const std::uint16_t* words, std::size_t n) {
        return words != nullptr &&
               reader->take(words, static_cast<std::int32_t>(std::min<std::size_t>(n, maxframewords))) ==
                   framereader::frame::good;
    }

    streamjob job;
    std::optional<framereader> reader;
    std::optional<::framedecoder> decoders;
    std::string shown; // the last message of the header reader or the decoders
    std::string error;
    bool built = false;
    std::int64_t frameno = 0;
};

framedecoder::framedecoder(const std::uint16_t* firstframe, std::size_t n, const session* settings)
    : s(std::make_unique<state>(settings)) {
    if (!s->take(firstframe, n) || !s->reader->hassyncandcrc()) {
        s->error = "no intact frame header at the start of the first frame";
        return;
    }
    s->built = s->job.pcm_buf && s->job.pcmfilebuf && s->decoders->build();
    if (!s->built) {
        s->error = s->shown.empty() ? "the decoders could not be built" : s->shown;
        return;
    }
    // Separate coding splits every payload among the channels, as the file driver tests.
    s->reader->channels = s->decoders->nch;
    s->reader->splittest = s->job.config.jointcoding == 0;
}

framedecoder::~framedecoder() = default;
framedecoder::framedecoder(framedecoder&&) noexcept = default;
framedecoder& framedecoder::operator=(framedecoder&&) noexcept = default;

bool framedecoder::valid() const {
    return s && s->built;
}

const std::string& framedecoder::error() const {
    return s->error;
}

int framedecoder::channels() const {
    return s->built ? s->decoders->nch : 0;
}

int framedecoder::samplerate() const {
    return s->built ? s->decoders->rate : 0;
}

int framedecoder::framelength() const {
    return s->job.framelen;
}

std::vector<std::int16_t> framedecoder::decode(const std::uint16_t* words, std::size_t n) {
    return s->run(!s->take(words, n));
}

std::vector<std::int16_t> framedecoder::lost() {
    return s->run(true);
}

} // namespace tonvex
