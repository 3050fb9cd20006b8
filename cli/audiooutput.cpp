#include "cli/audiooutput.h"

#include <sndfile.h>
#include <sys/types.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cli/commandoptions.h"

namespace {

struct formatname_t {
    audioformat format;
    const char* name;
    int major; // libsndfile's container, 0 for the own WAV writer
};
constexpr formatname_t formats[] = {
    {audioformat::wav, "wav", 0},
    {audioformat::flac, "flac", SF_FORMAT_FLAC},
    {audioformat::aiff, "aiff", SF_FORMAT_AIFF},
    {audioformat::caf, "caf", SF_FORMAT_CAF},
    {audioformat::rf64, "rf64", SF_FORMAT_RF64},
    {audioformat::w64, "w64", SF_FORMAT_W64},
};

const formatname_t* findformat(const std::string& name) {
    for (const formatname_t& f : formats)
        if (name == f.name) return &f;
    return name == "aif" ? &formats[2] : nullptr;
}

int32_t topcm24(double x) {
    const double v = std::floor(x * 8388608.0 + 0.5);
    return static_cast<int32_t>(std::clamp(v, -8388608.0, 8388607.0));
}

// What both writers share: the layout, a frame's samples before the 16-bit conversion
// (only when wider samples are asked for) and the samples --trim still drops.
class samplesink : public audiosink {
  public:
    explicit samplesink(const audiochoice& choice) : choice(choice) {}

    bool begin(int16_t channels, int32_t samplerate) override {
        nch = channels;
        rate = samplerate;
        skip = choice.trim ? codecdelay : 0;
        return open();
    }

    void channel(int16_t c, const double* x, int32_t n) override {
        if (choice.bits == samplebits::pcm16) return;
        wide.resize(static_cast<size_t>(n) * nch);
        for (int32_t i = 0; i < n; i++) wide[static_cast<size_t>(i) * nch + c] = x[i];
    }

    bool frame(const int16_t* pcm, int32_t values) override {
        const int32_t frames = values / nch;
        const auto first = static_cast<int32_t>(std::min<int64_t>(skip, frames));
        skip -= first;
        if (first == frames) return true;
        samples += frames - first;
        return put(pcm, first, frames - first);
    }

  protected:
    virtual bool open() = 0;
    // Sample frames first to first + count - 1 of the frame just decoded.
    virtual bool put(const int16_t* pcm, int32_t first, int32_t count) = 0;

    audiochoice choice;
    int16_t nch = 1;
    int32_t rate = 0;
    std::vector<double> wide;

  private:
    int64_t skip = 0;
};

void little(unsigned char*& at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++) *at++ = static_cast<unsigned char>(value >> (8 * i));
}

void tag(unsigned char*& at, const char* text) {
    std::memcpy(at, text, 4);
    at += 4;
}

class wavsink : public samplesink {
  public:
    wavsink(std::FILE* out, bool seekable, const audiochoice& choice)
        : samplesink(choice), out(out), seekable(seekable) {}

    bool finish() override {
        if (!seekable) return std::fflush(out) == 0;
        return fseeko(out, start, SEEK_SET) == 0 && header(false) && std::fflush(out) == 0;
    }

  private:
    bool open() override {
        start = seekable ? ftello(out) : 0;
        return start >= 0 && header(!seekable);
    }

    // The 44-byte header; unknown: the size fields say "until the end of the stream".
    bool header(bool unknown) {
        const int bytes = bytespersample(choice.bits);
        const uint64_t align = static_cast<uint64_t>(nch) * bytes;
        const uint64_t data = static_cast<uint64_t>(samples) * align;
        unsigned char h[44];
        unsigned char* at = h;
        tag(at, "RIFF");
        little(at, unknown ? 0xFFFFFFFFu : data + 36, 4);
        tag(at, "WAVE");
        tag(at, "fmt ");
        little(at, 16, 4);
        little(at, choice.bits == samplebits::float32 ? 3 : 1, 2); // IEEE float or PCM
        little(at, static_cast<uint64_t>(nch), 2);
        little(at, static_cast<uint64_t>(rate), 4);
        little(at, static_cast<uint64_t>(rate) * align, 4);
        little(at, align, 2);
        little(at, static_cast<uint64_t>(bytes) * 8, 2);
        tag(at, "data");
        little(at, unknown ? 0xFFFFFFFFu : data, 4);
        return std::fwrite(h, 1, sizeof h, out) == sizeof h;
    }

    bool put(const int16_t* pcm, int32_t first, int32_t count) override {
        const size_t values = static_cast<size_t>(count) * nch;
        const size_t from = static_cast<size_t>(first) * nch;
        if (choice.bits == samplebits::pcm16 && std::endian::native == std::endian::little)
            return std::fwrite(pcm + from, sizeof *pcm, values, out) == values; // already the file's bytes
        bytes.resize(values * bytespersample(choice.bits));
        unsigned char* at = bytes.data();
        for (size_t i = 0; i < values; i++) {
            if (choice.bits == samplebits::pcm16) {
                little(at, static_cast<uint16_t>(pcm[from + i]), 2);
            } else if (choice.bits == samplebits::pcm24) {
                little(at, static_cast<uint32_t>(topcm24(wide[from + i])), 3);
            } else {
                const auto f = static_cast<float>(wide[from + i]);
                uint32_t word = 0;
                std::memcpy(&word, &f, sizeof word);
                little(at, word, 4);
            }
        }
        return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    }

    std::FILE* out;
    bool seekable;
    off_t start = 0;
    std::vector<unsigned char> bytes;
};

class sndfilesink : public samplesink {
  public:
    sndfilesink(std::FILE* out, int major, const audiochoice& choice)
        : samplesink(choice), out(out), major(major) {}
    ~sndfilesink() override {
        if (file) sf_close(file);
    }

    bool finish() override {
        if (!file) return false;
        const bool fine = sf_error(file) == SF_ERR_NO_ERROR;
        const int closed = sf_close(file);
        file = nullptr;
        return fine && closed == 0;
    }

  private:
    bool open() override {
        SF_INFO info{};
        info.channels = nch;
        info.samplerate = rate;
        const int sub = choice.bits == samplebits::pcm16   ? SF_FORMAT_PCM_16
                        : choice.bits == samplebits::pcm24 ? SF_FORMAT_PCM_24
                                                           : SF_FORMAT_FLOAT;
        info.format = major | sub;
        std::fflush(out); // libsndfile writes to the descriptor itself
        file = sf_open_fd(fileno(out), SFM_WRITE, &info, SF_FALSE);
        return file != nullptr;
    }

    bool put(const int16_t* pcm, int32_t first, int32_t count) override {
        const size_t values = static_cast<size_t>(count) * nch;
        const size_t from = static_cast<size_t>(first) * nch;
        if (choice.bits == samplebits::pcm16) return sf_writef_short(file, pcm + from, count) == count;
        if (choice.bits == samplebits::pcm24) {
            ints.resize(values);
            // libsndfile takes 32-bit samples and keeps their top 24 bits.
            for (size_t i = 0; i < values; i++) ints[i] = topcm24(wide[from + i]) * 256;
            return sf_writef_int(file, ints.data(), count) == count;
        }
        floats.resize(values);
        for (size_t i = 0; i < values; i++) floats[i] = static_cast<float>(wide[from + i]);
        return sf_writef_float(file, floats.data(), count) == count;
    }

    std::FILE* out;
    int major;
    SNDFILE* file = nullptr;
    std::vector<int> ints;
    std::vector<float> floats;
};

} // namespace

audiochoice chooseaudio(const std::string& output, const std::optional<std::string>& format,
                        const std::optional<std::string>& bits, bool trim) {
    audiochoice choice;
    choice.trim = trim;
    if (format) {
        const formatname_t* found = findformat(*format);
        if (!found) throw usageerror("--format " + *format + ": needs wav, flac, aiff, caf, rf64 or w64");
        choice.format = found->format;
    } else {
        std::string extension = std::filesystem::path(output).extension().string();
        if (!extension.empty()) extension.erase(0, 1);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const formatname_t* found = findformat(extension);
        if (found) choice.format = found->format;
    }
    if (bits) {
        if (*bits == "24")
            choice.bits = samplebits::pcm24;
        else if (*bits == "32f")
            choice.bits = samplebits::float32;
        else if (*bits != "16")
            throw usageerror("--bits " + *bits + ": needs 16, 24 or 32f");
    }
    if (choice.format == audioformat::flac && choice.bits == samplebits::float32)
        throw usageerror("--bits 32f: FLAC holds 16 or 24 bits");
    return choice;
}

std::string formatname(audioformat format) {
    for (const formatname_t& f : formats)
        if (f.format == format) return f.name;
    return "wav";
}

bool has32bitsizes(audioformat format) {
    return format == audioformat::wav || format == audioformat::aiff;
}

int bytespersample(samplebits bits) {
    return bits == samplebits::pcm16 ? 2 : bits == samplebits::pcm24 ? 3 : 4;
}

bool needsseeking(audioformat format) {
    return format != audioformat::wav;
}

std::unique_ptr<audiosink> makeaudiosink(std::FILE* out, bool seekable, const audiochoice& choice) {
    for (const formatname_t& f : formats)
        if (f.format == choice.format && f.major != 0)
            return std::make_unique<sndfilesink>(out, f.major, choice);
    return std::make_unique<wavsink>(out, seekable, choice);
}
