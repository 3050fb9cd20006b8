#include "bench/quality/plain.h"

#include <algorithm>
#include <cmath>

namespace {

// Band weights halfway between the band's peak level and the loudest band's, no band
// taken as quieter than 30 dB below the loudest.
void halfwaytopeaks(const double* peak, int32_t nband, double step, double* desired) {
    const double loudest = *std::max_element(peak, peak + nband);
    if (loudest <= 0.0) {
        std::fill(desired, desired + nband, 0.0);
        return;
    }
    const double top = 20.0 * std::log10(loudest);
    for (int32_t j = 0; j < nband; j++) {
        const double level = peak[j] > 0.0 ? std::max(20.0 * std::log10(peak[j]), top - 30.0) : top - 30.0;
        desired[j] = 0.5 * (level + top) / step;
    }
}

// An attack: a short segment of the short-block region with ten times the energy of the
// segment before it.
bool energyjump(const double* span, int32_t framelen, int32_t shortlen) {
    const int32_t nblock = framelen / shortlen;
    const int32_t start = ((nblock - 1) * shortlen) / 2;
    const int32_t end = start + (nblock + 1) * shortlen;
    double previous = -1.0;
    for (int32_t s = start - shortlen; s + shortlen <= end; s += shortlen) {
        double e = 0.0;
        for (int32_t n = s; n < s + shortlen; n++) e += span[n] * span[n];
        if (previous >= 0.0 && e > 1e-6 * shortlen && e > 10.0 * previous) return true;
        previous = e;
    }
    return false;
}

} // namespace

encoderhooks plainallocation() {
    encoderhooks h;
    h.weights = halfwaytopeaks;
    h.attack = energyjump;
    return h;
}
