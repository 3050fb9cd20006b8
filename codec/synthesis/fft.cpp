#include "codec/synthesis/fft.h"

#include <array>
#include <bit>
#include <cmath>
#include <numbers>
#include <utility>

#include "base/oncetable.h"
#include "base/targetclones.h"

namespace {

void buildtwiddles(stagetwiddles& w, int32_t sign, int32_t span) {
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

// The classic counter walk: after step i, j is the bit reversal of i + 1.
void buildorder(std::vector<int32_t>& rev, int32_t n) {
    rev.assign(static_cast<size_t>(n), 0);
    int32_t j = 0;
    for (int32_t i = 0; i < n - 1; i++) {
        rev[i] = j;
        int32_t m = n / 2;
        while (m >= 1 && m <= j) {
            j = j - m;
            m = m / 2;
        }
        j = j + m;
    }
    rev[n - 1] = n - 1;
}

// The stages of spans 1 and 2 in one pass over blocks of four values.
[[gnu::always_inline]] inline void firsttwostages(double* re, double* im, int32_t sign, int32_t n) {
    const stagetwiddles& w1 = fftstagetwiddles(sign, 1);
    const stagetwiddles& w2 = fftstagetwiddles(sign, 2);
    const double a0r = w1.wr[0], a0i = w1.wi[0];
    const double b0r = w2.wr[0], b0i = w2.wi[0], b1r = w2.wr[1], b1i = w2.wi[1];
    for (int32_t i = 0; i < n; i += 4) {
        double* r = re + i;
        double* m = im + i;
        butterfly(r[0], m[0], r[1], m[1], a0r, a0i);
        butterfly(r[2], m[2], r[3], m[3], a0r, a0i);
        butterfly(r[0], m[0], r[2], m[2], b0r, b0i);
        butterfly(r[1], m[1], r[3], m[3], b1r, b1i);
    }
}

// The butterflies of pairs (m, m + span), m < span, of one block of 2*span values: the
// halves never overlap, so the loop runs over contiguous values.
[[gnu::always_inline]] inline void onestage(double* __restrict r0, double* __restrict i0,
                                            double* __restrict r1, double* __restrict i1,
                                            const double* __restrict wr, const double* __restrict wi,
                                            int32_t span) {
    for (int32_t m = 0; m < span; m++) butterfly(r0[m], i0[m], r1[m], i1[m], wr[m], wi[m]);
}

// The stages of spans s and 2s on one block of 4s values, quarter by quarter: each value
// passes both stages while it is held, and every butterfly is the one its stage computes.
[[gnu::always_inline]] inline void
twostages(double* __restrict r0, double* __restrict r1, double* __restrict r2, double* __restrict r3,
          double* __restrict i0, double* __restrict i1, double* __restrict i2, double* __restrict i3,
          const stagetwiddles& first, const stagetwiddles& second, int32_t s) {
    const double* __restrict ar = first.wr.data();
    const double* __restrict ai = first.wi.data();
    const double* __restrict br = second.wr.data();
    const double* __restrict bi = second.wi.data();
    for (int32_t m = 0; m < s; m++) {
        double xr0 = r0[m], xr1 = r1[m], xr2 = r2[m], xr3 = r3[m];
        double xi0 = i0[m], xi1 = i1[m], xi2 = i2[m], xi3 = i3[m];
        butterfly(xr0, xi0, xr1, xi1, ar[m], ai[m]);
        butterfly(xr2, xi2, xr3, xi3, ar[m], ai[m]);
        butterfly(xr0, xi0, xr2, xi2, br[m], bi[m]);
        butterfly(xr1, xi1, xr3, xi3, br[m + s], bi[m + s]);
        r0[m] = xr0, r1[m] = xr1, r2[m] = xr2, r3[m] = xr3;
        i0[m] = xi0, i1[m] = xi1, i2[m] = xi2, i3[m] = xi3;
    }
}

} // namespace

const stagetwiddles& fftstagetwiddles(int32_t sign, int32_t span) {
    static std::array<std::array<oncetable<stagetwiddles>, 32>, 2> tables;
    return tables[sign < 0 ? 0 : 1][std::countr_zero(static_cast<uint32_t>(span))].get(
        [&](stagetwiddles& w) { buildtwiddles(w, sign, span); });
}

const std::vector<int32_t>& bitreversedorder(int32_t n) {
    static std::array<oncetable<std::vector<int32_t>>, 32> tables;
    return tables[std::countr_zero(static_cast<uint32_t>(n))].get(
        [n](std::vector<int32_t>& rev) { buildorder(rev, n); });
}

TONVEX_TARGET_CLONES void fftstages(double* re, double* im, int32_t sign, int32_t n, int32_t from) {
    int32_t span = from;
    if (span == 1 && n >= 4) {
        firsttwostages(re, im, sign, n);
        span = 4;
    }
    for (; 2 * span < n; span *= 4) {
        const stagetwiddles& first = fftstagetwiddles(sign, span);
        const stagetwiddles& second = fftstagetwiddles(sign, 2 * span);
        for (int32_t b = 0; b < n; b += 4 * span)
            twostages(re + b, re + b + span, re + b + 2 * span, re + b + 3 * span, im + b, im + b + span,
                      im + b + 2 * span, im + b + 3 * span, first, second, span);
    }
    if (span < n) {
        const stagetwiddles& w = fftstagetwiddles(sign, span);
        for (int32_t b = 0; b < n; b += 2 * span)
            onestage(re + b, im + b, re + b + span, im + b + span, w.wr.data(), w.wi.data(), span);
    }
}

void fft(double* re, double* im, int32_t sign, int32_t n) {
    if (n < 2) return; // a single value is its own transform, scaled by 1/1
    sign = sign < 0 ? -1 : 1;
    const std::vector<int32_t>& rev = bitreversedorder(n);
    for (int32_t i = 0; i < n; i++) {
        const int32_t j = rev[i];
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    fftstages(re, im, sign, n, 1);
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
