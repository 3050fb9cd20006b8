// Bit-error injection and the frame length of a bitrate: operations of the document that
// the frame walk of both drivers uses.
#include <cmath>

#include "app/CTonvexDoc.h"
#include "drivers/random.h"

void CTonvexDoc::inserterrors(uint16_t* words, int32_t n, int32_t enabled) {
    for (int32_t w = 0; w < n; w++) {
        uint16_t word = words[w];
        if (enabled != 0) {
            // 16 draws per word, least significant bit first, whatever ber is.
            for (int b = 0; b < 16; b++) {
                const double u = 1.0 - random_draw() / 32767.0;
                if (u < ber) {
                    word = static_cast<uint16_t>(word ^ (1u << b));
                    nbiterrors += 1;
                }
            }
        }
        nbitsseen += 16;
        words[w] = word;
    }
}

int16_t CTonvexDoc::scaledframelen(double kbps) const {
    const double n = std::floor(framelen * kbps / (fs_khz * 16.0) + 0.5);
    if (!(n >= 8.0)) return 8; // also a NaN from a broken rate
    if (n > 511.0) return 511;
    return static_cast<int16_t>(n);
}
