#pragma once
// Audio for measuring: every channel as its own array of samples in 16-bit units
// (full scale 32768), whatever the file's own sample format.
#include <cstdint>
#include <string>
#include <vector>

struct audiosignal {
    int32_t rate = 0;
    std::vector<std::vector<double>> channels;

    int64_t length() const { return channels.empty() ? 0 : static_cast<int64_t>(channels[0].size()); }
};

// Reads anything libsndfile reads. false with the reason in error.
bool readaudio(const std::string& path, audiosignal& out, std::string& error);
