#pragma once
// Playing time of a number of frames: the unit in which the command line places events
// and measures streams.
#include <cstdint>

// Seconds of framelen-sample frames at fs_khz kHz; 0.0 when no rate is known.
inline double streamseconds(int64_t frames, double fs_khz, int framelen) {
    return fs_khz > 0.0 ? static_cast<double>(frames) * framelen / (fs_khz * 1000.0) : 0.0;
}
