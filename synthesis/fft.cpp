#include "synthesis/fft.h"

#include <array>
#include <bit>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// Twiddles w_m, m < span, of the stage with the given span, interleaved (w_r, w_i): the
// running product w_{m+1} = w_m * e^(i theta), theta = pi/(-sign*span), from w_0 = 1.
// Built once per sign and span; a stage's sequence does not depend on the FFT length.
const std::vector<double>& stagetwiddles(int32_t sign, int32_t span) {
    static std::array<std::array<std::vector<double>, 32>, 2> cache;
    std::vector<double>& w = cache[sign < 0 ? 0 : 1][std::countr_zero(static_cast<uint32_t>(span))];
    if (w.empty()) {
        const double theta = std::numbers::pi / (-sign * span);
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        w.resize(2 * static_cast<size_t>(span));
        for (int32_t m = 0; m < span; m++) {
            w[2 * m] = wr;
            w[2 * m + 1] = wi;
            const double next = wr * c - wi * s;
            wi = wr * s + wi * c;
            wr = next;
        }
    }
    return w;
}

void bitreverse(double* re, double* im, int32_t n) {
    int32_t j = 0;
    for (int32_t i = 0; i < n - 1; i++) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int32_t m = n / 2;
        while (m >= 1 && m <= j) {
            j = j - m;
            m = m / 2;
        }
        j = j + m;
    }
}

} // namespace

void fft(double* re, double* im, int32_t sign, int32_t n) {
    sign = sign < 0 ? -1 : 1;
    bitreverse(re, im, n);
    for (int32_t span = 1; span < n; span *= 2) {
        const std::vector<double>& w = stagetwiddles(sign, span);
        for (int32_t m = 0; m < span; m++) {
            const double wr = w[2 * m];
            const double wi = w[2 * m + 1];
            for (int32_t i = m; i < n; i += 2 * span) {
                const int32_t j = i + span;
                const double tr = wr * re[j] - wi * im[j];
                const double ti = wi * re[j] + wr * im[j];
                re[j] = re[i] - tr;
                im[j] = im[i] - ti;
                re[i] = tr + re[i];
                im[i] = ti + im[i];
            }
        }
    }
    if (sign < 0) {
        // 1/n is exact for a power of two, so the product rounds exactly as the quotient
        // would (both round the same exact value), at a fraction of a division's cost.
        if (std::has_single_bit(static_cast<uint32_t>(n))) {
            const double scale = 1.0 / n;
            for (int32_t k = 0; k < n; k++) {
                re[k] = re[k] * scale;
                im[k] = im[k] * scale;
            }
        } else {
            for (int32_t k = 0; k < n; k++) {
                re[k] = re[k] / n;
                im[k] = im[k] / n;
            }
        }
    }
}
