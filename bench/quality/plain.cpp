#include "bench/quality/plain.h"

#include "encoder/peakweights.h"

namespace {

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
    h.weights = [](const double* peak, int32_t nband, double step, double* desired) {
        peakweights(peak, nband, 0.5, 30.0, step, desired);
    };
    h.attack = energyjump;
    return h;
}
