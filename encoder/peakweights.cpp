#include "encoder/peakweights.h"

#include <algorithm>
#include <cmath>

void peakweights(const double* peak, int32_t nband, double follow, double depth, double step,
                 double* desired) {
    double loudest = 0.0;
    for (int32_t j = 0; j < nband; j++) loudest = std::max(loudest, peak[j]);
    if (loudest <= 0.0) {
        std::fill(desired, desired + nband, 0.0);
        return;
    }
    const double top = 20.0 * std::log10(loudest);
    for (int32_t j = 0; j < nband; j++) {
        const double level = peak[j] > 0.0 ? std::max(20.0 * std::log10(peak[j]), top - depth) : top - depth;
        desired[j] = (follow * level + (1.0 - follow) * top) / step;
    }
}
