#include "codec/synthesis/imdct.h"

#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <numbers>
#include <vector>

#include "base/oncetable.h"
#include "base/targetclones.h"
#include "codec/synthesis/fft.h"

namespace {

// The pre- and post-twiddle factors of one transform length, each evaluated from the
// same expression as the loop would evaluate it, so that the table changes nothing.
struct twiddles {
    std::vector<double> cosphi, sinphi; // phi = k*2*pi/N
    std::vector<double> cospsi, sinpsi; // psi = (4k + 1)*pi/(N + N)
};

void buildtwiddles(twiddles& t, int32_t n) {
    const int32_t quarter = n / 4;
    t.cosphi.resize(quarter);
    t.sinphi.resize(quarter);
    t.cospsi.resize(quarter);
    t.sinpsi.resize(quarter);
    for (int32_t k = 0; k < quarter; k++) {
        const double phi = k * 2 * std::numbers::pi / n;
        const double psi = (4 * k + 1) * std::numbers::pi / (n + n);
        t.cosphi[k] = std::cos(phi);
        t.sinphi[k] = std::sin(phi);
        t.cospsi[k] = std::cos(psi);
        t.sinpsi[k] = std::sin(psi);
    }
}

const twiddles& twiddles_for(int32_t n) {
    static std::array<oncetable<twiddles>, 32> tables;
    return tables[std::countr_zero(static_cast<uint32_t>(n))].get([n](twiddles& t) { buildtwiddles(t, n); });
}

// The FFT's first two stages on the values at bit-reversed places 4j .. 4j + 3, which
// hold k, k + Q/2, k + Q/4 and k + 3Q/4 (k < Q/4): in natural order the four are
// quarters apart (x0 .. x3), so the stages run as contiguous loops.
[[gnu::always_inline]] inline void firststages(double* __restrict r0, double* __restrict r1,
                                               double* __restrict r2, double* __restrict r3,
                                               double* __restrict i0, double* __restrict i1,
                                               double* __restrict i2, double* __restrict i3, int32_t count) {
    const stagetwiddles& w1 = fftstagetwiddles(-1, 1);
    const stagetwiddles& w2 = fftstagetwiddles(-1, 2);
    const double ar = w1.wr[0], ai = w1.wi[0];
    const double b0r = w2.wr[0], b0i = w2.wi[0], b1r = w2.wr[1], b1i = w2.wi[1];
    for (int32_t k = 0; k < count; k++) {
        double xr0 = r0[k], xr1 = r1[k], xr2 = r2[k], xr3 = r3[k];
        double xi0 = i0[k], xi1 = i1[k], xi2 = i2[k], xi3 = i3[k];
        butterfly(xr0, xi0, xr1, xi1, ar, ai);
        butterfly(xr2, xi2, xr3, xi3, ar, ai);
        butterfly(xr0, xi0, xr2, xi2, b0r, b0i);
        butterfly(xr1, xi1, xr3, xi3, b1r, b1i);
        r0[k] = xr0, r1[k] = xr1, r2[k] = xr2, r3[k] = xr3;
        i0[k] = xi0, i1[k] = xi1, i2[k] = xi2, i3[k] = xi3;
    }
}

// out[2j] = a[j] and out[2j + 1] = b[count - 1 - j] for j < count, both negated or not.
template <bool negated>
[[gnu::always_inline]] inline void interleave(double* __restrict out, const double* __restrict a,
                                              const double* __restrict b, int32_t count) {
    for (int32_t j = 0; j < count; j++) {
        out[2 * j] = negated ? -a[j] : a[j];
        out[2 * j + 1] = negated ? -b[count - 1 - j] : b[count - 1 - j];
    }
}

} // namespace

TONVEX_TARGET_CLONES void imdct(double* data, double* work, [[maybe_unused]] double n0, int32_t n) {
    // The reordering splits at (N - K)/2 with K = floor(2*n0 + 0.5) - 1; for the offset
    // in use K = N/2, which gives the split points N/4 and 3N/4 below.
    assert(std::floor(2.0 * n0 + 0.5) - 1.0 == n / 2);
    const int32_t quarter = n / 4;
    const int32_t eighth = n / 8;
    double* re = work;
    double* im = work + quarter;
    const twiddles& t = twiddles_for(n);

    // Pre-twiddle into the free upper half of data, in natural order. The coefficients
    // it takes backwards are first laid out forwards in work (free until the FFT), so
    // that both of its reads run forwards.
    double* __restrict nre = data + n / 2;
    double* __restrict nim = nre + quarter;
    {
        const double* __restrict in = data;
        double* __restrict backwards = work;
        for (int32_t i = 0; i < n / 2; i++) backwards[i] = in[n / 2 - 1 - i];
        const double* __restrict cphi = t.cosphi.data();
        const double* __restrict sphi = t.sinphi.data();
        for (int32_t k = 0; k < quarter; k++) {
            const double a = -in[2 * k];
            const double b = backwards[2 * k];
            nre[k] = cphi[k] * a - sphi[k] * b;
            nim[k] = sphi[k] * a + cphi[k] * b;
        }
    }
    // The FFT's first two stages work on the values at bit-reversed places 4j .. 4j + 3,
    // which hold k, k + Q/2, k + Q/4 and k + 3Q/4 (k < Q/4): in natural order they are
    // quarters apart, and run as contiguous loops.
    int32_t from = 1;
    if (quarter >= 4) {
        const int32_t q4 = quarter / 4;
        firststages(nre, nre + 2 * q4, nre + q4, nre + 3 * q4, nim, nim + 2 * q4, nim + q4, nim + 3 * q4, q4);
        from = 4;
    }
    // Into bit-reversed order for the remaining stages.
    const int32_t* rev = bitreversedorder(quarter).data();
    for (int32_t p = 0; p < quarter; p++) {
        re[p] = nre[rev[p]];
        im[p] = nim[rev[p]];
    }
    fftstages(re, im, -1, quarter, from);

    // The FFT's 1/Q scale and the post-twiddle, in place.
    const double scale = 1.0 / quarter;
    {
        double* __restrict r = re;
        double* __restrict m = im;
        const double* __restrict cpsi = t.cospsi.data();
        const double* __restrict spsi = t.sinpsi.data();
        for (int32_t k = 0; k < quarter; k++) {
            const double c = r[k] * scale;
            const double d = m[k] * scale;
            r[k] = cpsi[k] * (0.5 * c) - spsi[k] * (0.5 * d);
            m[k] = cpsi[k] * (0.5 * d) + spsi[k] * (0.5 * c);
        }
    }

    // The reordering, written in output order: each quarter of the output interleaves
    // one table forwards and one backwards.
    interleave<true>(data, re + eighth, im, eighth);
    interleave<false>(data + quarter, im, re + eighth, eighth);
    interleave<false>(data + 2 * quarter, im + eighth, re, eighth);
    interleave<false>(data + 3 * quarter, re, im + eighth, eighth);
}
