#include "measure/audiofile.h"

#include <sndfile.h>

#include <memory>

bool readaudio(const std::string& path, audiosignal& out, std::string& error) {
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_READ, &info), sf_close);
    if (!file) {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.frames < 0) {
        error = "cannot read " + path + ": no audio channels";
        return false;
    }
    // Integer files come back as exact multiples of 1/32768 for 16-bit data.
    sf_command(file.get(), SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
    out.rate = info.samplerate;
    out.channels.assign(static_cast<size_t>(info.channels), {});
    for (auto& channel : out.channels) channel.reserve(static_cast<size_t>(info.frames));
    std::vector<double> block(static_cast<size_t>(4096 * info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_double(file.get(), block.data(), 4096);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i)
            for (int c = 0; c < info.channels; ++c)
                out.channels[static_cast<size_t>(c)].push_back(
                    block[static_cast<size_t>(i * info.channels + c)] * 32768.0);
    }
    if (out.length() != info.frames) {
        error = "cannot read " + path + ": the file ends early";
        return false;
    }
    return true;
}
