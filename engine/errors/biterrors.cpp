// Error injection and the frame length of a bitrate: operations of the document that the
// frame walk of both drivers uses.
#include <bit>
#include <cmath>

#include "engine/streamjob.h"

void streamjob::inserterrors(uint16_t* words, int32_t n, int32_t enabled) {
    if (enabled != 0 && errormodel == errormodel_independent && !(ber > 0.0) && n > 0) {
        // At a rate of 0 no draw can flip a bit (1 - r/32767 is never below 0), but every
        // word still costs its 16 draws: take them all in one jump.
        random.skip(16 * static_cast<uint64_t>(n));
        nbitsseen += 16 * static_cast<int64_t>(n);
        return;
    }
    for (int32_t w = 0; w < n; w++) {
        uint16_t word = words[w];
        uint16_t flips = 0;
        if (enabled != 0) {
            if (errormodel == errormodel_independent) {
                // 16 draws per word, least significant bit first, whatever ber is.
                for (int b = 0; b < 16; b++)
                    if (independentflip(random.draw(), ber)) flips = static_cast<uint16_t>(flips | (1u << b));
            } else if (errormodel == errormodel_gilbert) {
                flips = errors.gilbertflips(random, ber, gamma);
            } else if (errors.bitpattern()) {
                flips = errors.patternflips();
            }
            // Frame erasures (errormodel 2, frame patterns) leave the bits alone.
            word = static_cast<uint16_t>(word ^ flips);
            nbiterrors += std::popcount(flips);
            if (errormodel != errormodel_erasure && !errors.framepattern()) stats.bursts.recordword(flips);
        }
        nbitsseen += 16;
        words[w] = word;
    }
}

double independentrate(double ber) {
    int flipping = 0;
    for (int draw = 0; draw <= random_max; draw++) flipping += independentflip(draw, ber) ? 1 : 0;
    return flipping / (random_max + 1.0);
}

bool streamjob::eraseframe(int64_t frameno) {
    if (errorsenabled == 0) return false;
    const bool framemodel = errormodel == errormodel_erasure || errors.framepattern();
    if (!framemodel) return false;
    const bool erased = errors.erasesframe(random, errormodel, fer, gamma);
    stats.bursts.record(erased);
    if (!erased) return false;
    stats.frameserased += 1;
    emit({driveevent::erasedframe, frameno});
    return true;
}

int16_t streamjob::scaledframelen(double kbps) const {
    const double n = std::floor(framelen * kbps / (fs_khz * 16.0) + 0.5);
    if (!(n >= 8.0)) return 8; // also a NaN from a broken rate
    if (n > 511.0) return 511;
    return static_cast<int16_t>(n);
}
