#pragma once
// Encoding of an audio file (anything libsndfile reads: WAV, FLAC, AIFF, ...; 1 or 2
// channels at one of the eight sample rates) into a .ztb bitstream file.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "encoder/encodersettings.h"

struct encodestats {
    int channels = 0;
    int srindex = 0;
    int64_t samples = 0;    // per channel, read from the input
    int64_t frames = 0;     // written
    int16_t framewords = 0; // every frame, header included
    double bitrate = 0.0;   // kbit/s of the stream: framewords * 16 * fs_khz / 1024
};

// Encodes in to the open file, named out in messages. Returns 0 on success; on failure
// returns 1 with the reason in error (the caller discards what was written). progress,
// when given, hears the share of the input encoded so far in percent whenever it grows
// (inputs of known length only).
int encodestream(const std::string& in, std::FILE* file, const std::string& out,
                 const encodersettings& settings, std::string& error, encodestats* stats = nullptr,
                 const std::function<void(int)>& progress = {});

// Encodes in to the file out, written under a temporary name beside it and renamed only
// when complete (an existing out is replaced). Returns 0 on success. On failure returns
// 1 with the reason in error; out is then untouched and nothing is left beside it.
int encodefile(const std::string& in, const std::string& out, const encodersettings& settings,
               std::string& error, encodestats* stats = nullptr,
               const std::function<void(int)>& progress = {});
