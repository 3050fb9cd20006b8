#include "encoder/encodefile.h"

#include <sndfile.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "base/tempoutput.h"
#include "codec/format/frameheader.h"
#include "encoder/streamencoder.h"

namespace {

struct sndfilecloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

int srindexofrate(int rate) {
    const int rates[] = {11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (int i = 0; i < 8; i++)
        if (rates[i] == rate) return i;
    return -1;
}

// Words go to the file low byte first, whatever the machine's byte order.
bool writewords(std::FILE* file, const std::vector<uint16_t>& words) {
    if (words.empty()) return true;
    std::vector<unsigned char> bytes(2 * words.size());
    for (size_t i = 0; i < words.size(); i++) {
        bytes[2 * i] = static_cast<unsigned char>(words[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(words[i] >> 8);
    }
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

int fail(std::string& error, std::string text) {
    error = std::move(text);
    return 1;
}

} // namespace

int encodestream(const std::string& in, std::FILE* file, const std::string& out,
                 const encodersettings& settings, std::string& error, encodestats* stats,
                 const std::function<void(int)>& progress) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, sndfilecloser> input(sf_open(in.c_str(), SFM_READ, &info));
    if (!input) return fail(error, "cannot read audio file " + in + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        return fail(error,
                    in + " has " + std::to_string(info.channels) + " channels; the encoder takes 1 or 2");
    const int srindex = srindexofrate(info.samplerate);
    if (srindex < 0)
        return fail(error,
                    in + " has a sample rate of " + std::to_string(info.samplerate) +
                        " Hz; supported are 11025, 12000, 16000, 22050, 24000, 32000, 44100 and 48000 Hz");
    streamencoder encoder;
    const std::string problem = encoder.open(settings, info.channels, srindex);
    if (!problem.empty()) return fail(error, problem);

    const int nch = info.channels;
    const int32_t n = streamencoder::framelen;
    std::vector<double> interleaved(static_cast<size_t>(n) * nch);
    std::vector<double> planar[2] = {std::vector<double>(n), std::vector<double>(n)};
    const double* channels[2] = {planar[0].data(), planar[1].data()};
    std::vector<uint16_t> words;
    int64_t samples = 0;
    int shown = 0;
    for (;;) {
        const sf_count_t got = sf_readf_double(input.get(), interleaved.data(), n);
        if (got <= 0) break;
        for (int ch = 0; ch < nch; ch++)
            for (int32_t i = 0; i < n; i++)
                planar[ch][i] = i < got ? interleaved[static_cast<size_t>(i) * nch + ch] : 0.0;
        samples += got;
        const int percent = info.frames > 0 ? static_cast<int>(samples * 100 / info.frames) : 0;
        if (progress && percent > shown) progress(shown = percent);
        words.clear();
        encoder.push(channels, words);
        if (!writewords(file, words)) return fail(error, "cannot write output file " + out);
        if (got < n) break;
    }
    if (sf_error(input.get()) != SF_ERR_NO_ERROR)
        return fail(error, "cannot read audio file " + in + ": " + sf_strerror(input.get()));
    words.clear();
    encoder.finish(samples, words);
    if (!writewords(file, words)) return fail(error, "cannot write output file " + out);
    if (std::fflush(file) != 0) return fail(error, "cannot write output file " + out);

    if (stats != nullptr) {
        stats->channels = nch;
        stats->srindex = srindex;
        stats->samples = samples;
        stats->frames = encoder.framescoded();
        stats->framewords = encoder.framewords();
        stats->bitrate = encoder.framewords() * 16.0 * samplerate_khz(srindex) / n;
    }
    error.clear();
    return 0;
}

int encodefile(const std::string& in, const std::string& out, const encodersettings& settings,
               std::string& error, encodestats* stats, const std::function<void(int)>& progress) {
    tempoutput output(out);
    if (!output.ok()) return fail(error, "cannot create output file " + out);
    if (encodestream(in, output.stream(), out, settings, error, stats, progress) != 0) return 1;
    if (!output.commit(true)) return fail(error, "cannot create output file " + out);
    return 0;
}
