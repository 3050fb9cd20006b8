#include "codec/synthesis/fft.h"

#include <array>
#include <bit>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// Twiddles w_m, m < span, of the stage with the given span: the running product
// w_{m+1} = w_m * e^(i theta), theta = pi/(-sign*span), from w_0 = 1. Real and imaginary
// parts apart, so that a stage's butterflies run over contiguous arrays. Built once per
// sign and span; a stage's sequence does not depend on the FFT length.
struct stagetwiddles {
    std::vector<double> wr, wi;
};

const stagetwiddles& twiddlesof(int32_t sign, int32_t span) {
    static std::array<std::array<stagetwiddles, 32>, 2> cache;
    stagetwiddles& w = cache[sign < 0 ? 0 : 1][std::countr_zero(static_cast<uint32_t>(span))];
    if (w.wr.empty()) {
        const double theta = std::numbers::pi / (-sign * span);
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        w.wr.resize(static_cast<size_t>(span));
        w.wi.resize(static_cast<size_t>(span));
        for (int32_t m = 0; m < span; m++) {
            w.wr[m] = wr;
            w.wi[m] = wi;
            const double next = wr * c - wi * s;
            wi = wr * s + wi * c;
            wr = next;
        }
    }
    return w;
}

// The swaps of the bit-reversal permutation of length n, in the order the classic
// counter walk finds them; built once per length.
const std::vector<std::pair<int32_t, int32_t>>& reversalswaps(int32_t n) {
    static std::array<std::vector<std::pair<int32_t, int32_t>>, 32> cache;
    auto& swaps = cache[std::countr_zero(static_cast<uint32_t>(n))];
    if (swaps.empty()) {
        int32_t j = 0;
        for (int32_t i = 0; i < n - 1; i++) {
            if (i < j) swaps.emplace_back(i, j);
            int32_t m = n / 2;
            while (m >= 1 && m <= j) {
                j = j - m;
                m = m / 2;
            }
            j = j + m;
        }
    }
    return swaps;
}

// The butterflies of pairs (m, m + span), m < span, of one block: the halves r0/i0 and
// r1/i1 never overlap. Each butterfly is computed as it always was; only the order of the
// independent butterflies within a stage changes, so that the loop runs over contiguous
// values (two at a time).
void butterflies(double* __restrict r0, double* __restrict i0, double* __restrict r1, double* __restrict i1,
                 const double* __restrict wr, const double* __restrict wi, int32_t span) {
    for (int32_t m = 0; m < span; m++) {
        const double a = r1[m], b = i1[m];
        const double tr = wr[m] * a - wi[m] * b;
        const double ti = wi[m] * a + wr[m] * b;
        const double x = r0[m], y = i0[m];
        r1[m] = x - tr;
        i1[m] = y - ti;
        r0[m] = tr + x;
        i0[m] = ti + y;
    }
}

// The butterflies of one twiddle in every block of 2*span values, as in butterflies.
void stridedbutterflies(double* re, double* im, double wr, double wi, int32_t span, int32_t n) {
    for (int32_t i = 0; i < n; i += 2 * span) {
        const int32_t j = i + span;
        const double a = re[j], b = im[j];
        const double tr = wr * a - wi * b;
        const double ti = wi * a + wr * b;
        const double x = re[i], y = im[i];
        re[j] = x - tr;
        im[j] = y - ti;
        re[i] = tr + x;
        im[i] = ti + y;
    }
}

} // namespace

void fft(double* re, double* im, int32_t sign, int32_t n) {
    if (n < 2) return; // a single value is its own transform, scaled by 1/1
    sign = sign < 0 ? -1 : 1;
    for (const auto& [i, j] : reversalswaps(n)) {
        std::swap(re[i], re[j]);
        std::swap(im[i], im[j]);
    }
    for (int32_t span = 1; span < n; span *= 2) {
        const stagetwiddles& w = twiddlesof(sign, span);
        if (span < 4) {
            // Blocks of two or four values: each twiddle across the blocks instead.
            for (int32_t m = 0; m < span; m++) stridedbutterflies(re + m, im + m, w.wr[m], w.wi[m], span, n);
            continue;
        }
        for (int32_t base = 0; base < n; base += 2 * span)
            butterflies(re + base, im + base, re + base + span, im + base + span, w.wr.data(), w.wi.data(),
                        span);
    }
    if (sign < 0) {
        // 1/n is exact for a power of two, so the product rounds exactly as the quotient
        // would (both round the same exact value), at a fraction of a division's cost.
        const double scale = 1.0 / n;
        for (int32_t k = 0; k < n; k++) {
            re[k] = re[k] * scale;
            im[k] = im[k] * scale;
        }
    }
}
