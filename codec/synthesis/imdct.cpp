#include "codec/synthesis/imdct.h"

#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <numbers>
#include <vector>

#include "codec/synthesis/fft.h"

namespace {

// The pre- and post-twiddle factors of one transform length, each evaluated from the
// same expression as the loop would evaluate it, so that the table changes nothing.
struct twiddles {
    std::vector<double> cosphi, sinphi; // phi = k*2*pi/N
    std::vector<double> cospsi, sinpsi; // psi = (4k + 1)*pi/(N + N)
};

const twiddles& twiddles_for(int32_t n) {
    static std::array<twiddles, 32> cache;
    twiddles& t = cache[std::countr_zero(static_cast<uint32_t>(n))];
    if (t.cosphi.empty()) {
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
    return t;
}

} // namespace

void imdct(double* data, double* work, [[maybe_unused]] double n0, int32_t n) {
    // The reordering splits at (N - K)/2 with K = floor(2*n0 + 0.5) - 1; for the offset
    // in use K = N/2, which gives the split points N/4 and 3N/4 below.
    assert(std::floor(2.0 * n0 + 0.5) - 1.0 == n / 2);
    const int32_t quarter = n / 4;
    const int32_t eighth = n / 8;
    double* re = work;
    double* im = work + quarter;
    const twiddles& t = twiddles_for(n);

    for (int32_t k = 0; k < quarter; k++) {
        const double a = -data[2 * k];
        const double b = data[n / 2 - 1 - 2 * k];
        re[k] = t.cosphi[k] * a - t.sinphi[k] * b;
        im[k] = t.sinphi[k] * a + t.cosphi[k] * b;
    }

    fft(re, im, -1, quarter);

    for (int32_t k = 0; k < quarter; k++) {
        const double c = re[k];
        const double d = im[k];
        re[k] = t.cospsi[k] * (0.5 * c) - t.sinpsi[k] * (0.5 * d);
        im[k] = t.cospsi[k] * (0.5 * d) + t.sinpsi[k] * (0.5 * c);
    }

    for (int32_t k = 0; k < eighth; k++) {
        data[quarter + 2 * k] = im[k];
        data[quarter - 1 - 2 * k] = -im[k];
        data[3 * quarter + 2 * k] = re[k];
        data[3 * quarter - 1 - 2 * k] = re[k];
    }
    for (int32_t k = eighth; k < quarter; k++) {
        data[quarter + 2 * k] = im[k];
        data[5 * quarter - 1 - 2 * k] = im[k];
        data[3 * quarter - 1 - 2 * k] = re[k];
        data[2 * k - quarter] = -re[k];
    }
}
