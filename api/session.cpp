// The C++ interface over the engine: a session is one stream job with hooks that collect
// what a run shows.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "api/sessionstate.h"
#include "api/sourcestream.h"
#include "api/streamsurvey.h"
#include "engine/io/pcmsink.h"
#include "engine/settings.h"
#include "engine/streamjob.h"
#include "tonvex/tonvex.hpp"

namespace tonvex {

const char* version() {
    return "1.2.0";
}

session::session() : s(std::make_unique<state>()) {}
session::~session() = default;
session::session(session&&) noexcept = default;
session& session::operator=(session&&) noexcept = default;

namespace {

bool accepted(setresult result, std::string_view name, std::string* error) {
    if (result == setresult::ok) return true;
    if (error != nullptr) *error = settingerror(result, name);
    return false;
}

event eventof(const driveevent& e) {
    return {static_cast<event::kinds>(e.kind), e.frame, e.way, e.words, e.channel, e.crcerrorpos};
}

// Runs one operation of the job on the source and gathers what it showed and counted.
runresult runjob(streamjob& job, const std::function<void(int)>& progress,
                 const std::function<void(const event&)>& events, const source& in,
                 const std::function<void()>& operation) {
    runresult result;
    job.hooks.messages = messagesink([&result](const std::string& text) { result.messages.push_back(text); });
    job.hooks.progress = [&progress](int32_t percent) {
        if (progress) progress(percent);
    };
    job.hooks.event = [&events](const driveevent& e) {
        if (events) events(eventof(e));
    };
    job.hooks.finished = [&result](const runsummary& summary) {
        result.status = summary.statustext;
        result.inputkbps = summary.rows[1].value;
        result.outputkbps = summary.rows[2].value;
        result.biterrorrate = summary.rows[4].value;
    };
    job.stats = {};
    std::vector<unsigned char> storage;
    if (attachsource(job, in, storage)) operation();
    job.bitstreamstream.reset();
    job.hooks = {};
    const drivestats& stats = job.stats;
    result.completed = stats.completed && result.messages.empty();
    result.frames = stats.frameshandled;
    result.frameswritten = stats.frameswritten;
    result.frameslost = stats.frameslost;
    result.framesconcealed = stats.framesconcealed;
    result.frameserased = stats.frameserased;
    result.passcrcfailures = stats.passcrcfailures;
    result.biterrors = job.nbiterrors;
    result.bitsseen = job.nbitsseen;
    result.samplerate = static_cast<int>(std::floor(job.fs_khz * 1000.0 + 0.5));
    return result;
}

// A decode's frames handed to the caller's function with the layout the driver announced.
class pcmforward : public pcmsink {
  public:
    explicit pcmforward(const pcmframes& output) : output(output) {}
    bool begin(int16_t nch, int32_t rate) override {
        layout = {nch, rate};
        return true;
    }
    void channel(int16_t, const double*, int32_t) override {}
    bool frame(const int16_t* samples, int32_t values) override {
        return output && output(samples, static_cast<std::size_t>(values), layout.first, layout.second);
    }

  private:
    const pcmframes& output;
    std::pair<int, int> layout; // channels, sample rate in Hz
};

// A growing buffer of bytes behind a stdio stream (open_memstream), freed by itself.
class memoryoutput {
  public:
    memoryoutput() : stream(open_memstream(&buffer, &length)) {}
    ~memoryoutput() {
        if (stream) std::fclose(stream);
        std::free(buffer);
    }
    memoryoutput(const memoryoutput&) = delete;
    memoryoutput& operator=(const memoryoutput&) = delete;
    std::FILE* get() const { return stream; }
    // Closes the stream and moves what it holds to out; false when closing failed.
    bool takeinto(std::vector<std::uint8_t>& out) {
        out.clear();
        if (!stream) return false;
        const bool closed = std::fclose(stream) == 0;
        stream = nullptr;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer);
        out.assign(bytes, bytes + (closed ? length : 0));
        return closed;
    }

  private:
    char* buffer = nullptr;
    std::size_t length = 0;
    std::FILE* stream;
};

} // namespace

bool session::set(std::string_view name, double value, std::string* error) {
    return accepted(setsetting(s->job, name, value), name, error);
}

bool session::set(std::string_view name, std::string_view text, std::string* error) {
    return accepted(setsettingtext(s->job, name, text), name, error);
}

std::optional<double> session::get(std::string_view name) const {
    return getsetting(s->job, name);
}

std::vector<std::string> session::settingnames() {
    std::vector<std::string> names;
    for (const settinginfo& info : settinglist()) names.push_back(info.name);
    return names;
}

void session::seed(std::uint32_t state) {
    s->job.random.seed(state);
}

std::uint32_t session::randomstate() const {
    return s->job.random.state();
}

void session::onprogress(std::function<void(int)> progress) {
    s->progress = std::move(progress);
}

void session::onevent(std::function<void(const event&)> handler) {
    s->events = std::move(handler);
}

runresult session::decode(const std::string& bitstream, const std::string& wav) {
    return decode(source::file(bitstream), wav);
}

runresult session::scale(const std::string& bitstream, const std::string& scaled) {
    return scale(source::file(bitstream), scaled);
}

runresult session::decode(const source& bitstream, const std::string& wav) {
    streamjob& job = s->job;
    job.wavpath = wav;
    return runjob(job, s->progress, s->events, bitstream, [&job] { job.decodeZAT(); });
}

runresult session::decode(const source& bitstream, const pcmframes& output) {
    streamjob& job = s->job;
    pcmforward forward(output);
    job.wavpath.clear();
    job.sink = &forward;
    runresult result = runjob(job, s->progress, s->events, bitstream, [&job] { job.decodeZAT(); });
    job.sink = nullptr;
    return result;
}

runresult session::scale(const source& bitstream, const std::string& scaled) {
    streamjob& job = s->job;
    job.scaledpath = scaled;
    return runjob(job, s->progress, s->events, bitstream, [&job] { job.scaleZAT(); });
}

runresult session::scale(const source& bitstream, std::vector<std::uint8_t>& scaled) {
    streamjob& job = s->job;
    memoryoutput output;
    scaled.clear();
    job.scaledpath.clear();
    job.scaledstream = output.get();
    runresult result = runjob(job, s->progress, s->events, bitstream, [&job] {
        if (job.scaledstream)
            job.scaleZAT();
        else
            job.showmessage("cannot create bitstream output file");
    });
    job.scaledstream = nullptr;
    if (!output.takeinto(scaled) && result.completed) {
        result.messages.push_back("cannot close output bitstream file");
        result.completed = false;
    }
    if (!result.completed) scaled.clear();
    return result;
}

streaminfo session::inspect(const source& bitstream) {
    streamjob& job = s->job;
    streaminfo info;
    std::vector<std::string> messages;
    job.hooks.messages = messagesink([&messages](const std::string& text) { messages.push_back(text); });
    std::vector<unsigned char> storage;
    if (attachsource(job, bitstream, storage)) info = surveystream(job);
    job.bitstreamstream.reset();
    job.hooks = {};
    info.messages = std::move(messages);
    return info;
}

streaminfo inspect(const source& bitstream) {
    return session().inspect(bitstream);
}

} // namespace tonvex
