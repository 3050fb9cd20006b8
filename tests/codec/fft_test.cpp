#include "codec/synthesis/fft.h"
#include "codec/synthesis/imdct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

namespace {

// The transform written out literally: the classic bit-reversal walk, then per stage
// the running product of the stage's unit step and, for each twiddle in turn, its
// butterflies. The optimised transform must agree with it bit for bit.
void literalfft(std::vector<double>& re, std::vector<double>& im, int sign, int n) {
    for (int i = 0, j = 0; i < n - 1; i++) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int m = n / 2;
        while (m >= 1 && m <= j) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
    for (int span = 1; span < n; span *= 2) {
        const double theta = std::numbers::pi / (-sign * span);
        const double c = std::cos(theta), s = std::sin(theta);
        double wr = 1.0, wi = 0.0;
        for (int m = 0; m < span; m++) {
            for (int i = m; i < n; i += 2 * span) {
                const int j = i + span;
                const double tr = wr * re[j] - wi * im[j];
                const double ti = wi * re[j] + wr * im[j];
                re[j] = re[i] - tr;
                im[j] = im[i] - ti;
                re[i] = tr + re[i];
                im[i] = ti + im[i];
            }
            const double next = wr * c - wi * s;
            wi = wr * s + wi * c;
            wr = next;
        }
    }
    if (sign < 0)
        for (int k = 0; k < n; k++) {
            re[k] = re[k] / n;
            im[k] = im[k] / n;
        }
}

// The inverse MDCT written out literally on top of literalfft, twiddles evaluated in
// place.
void literalimdct(std::vector<double>& data, int n) {
    const int q = n / 4;
    std::vector<double> re(q), im(q);
    for (int k = 0; k < q; k++) {
        const double phi = k * 2 * std::numbers::pi / n;
        const double a = -data[2 * k], b = data[n / 2 - 1 - 2 * k];
        re[k] = std::cos(phi) * a - std::sin(phi) * b;
        im[k] = std::sin(phi) * a + std::cos(phi) * b;
    }
    literalfft(re, im, -1, q);
    for (int k = 0; k < q; k++) {
        const double psi = (4 * k + 1) * std::numbers::pi / (n + n);
        const double c = re[k], d = im[k];
        re[k] = std::cos(psi) * (0.5 * c) - std::sin(psi) * (0.5 * d);
        im[k] = std::cos(psi) * (0.5 * d) + std::sin(psi) * (0.5 * c);
    }
    for (int k = 0; k < q; k++) {
        data[q + 2 * k] = im[k];
        data[k < n / 8 ? q - 1 - 2 * k : 5 * q - 1 - 2 * k] = k < n / 8 ? -im[k] : im[k];
        data[3 * q - 1 - 2 * k] = re[k];
        if (k < n / 8)
            data[3 * q + 2 * k] = re[k];
        else
            data[2 * k - q] = -re[k];
    }
}

} // namespace

TEST(Fft, BitIdenticalToTheLiteralTransform) {
    std::mt19937 source(11);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int n = 1; n <= 4096; n *= 2)
        for (int sign : {1, -1}) {
            std::vector<double> re(n), im(n);
            for (int j = 0; j < n; j++) {
                re[j] = value(source) * (j % 5 == 0 ? 1e6 : 1.0);
                im[j] = j % 7 == 0 ? -0.0 : value(source);
            }
            std::vector<double> wantre = re, wantim = im;
            literalfft(wantre, wantim, sign, n);
            fft(re.data(), im.data(), sign, n);
            // Bit for bit, signed zeros included.
            ASSERT_EQ(std::memcmp(re.data(), wantre.data(), n * sizeof(double)), 0) << n << " " << sign;
            ASSERT_EQ(std::memcmp(im.data(), wantim.data(), n * sizeof(double)), 0) << n << " " << sign;
        }
}

// Spectra as the decoder meets them: dense, zero above a cut-off, all zero, with signed
// zeros among the values.
TEST(Imdct, BitIdenticalToTheLiteralTransform) {
    std::mt19937 source(3);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int n : {8, 16, 128, 256, 2048})
        for (int nonzero : {n / 2, n / 5, 0}) {
            std::vector<double> data(n), work(n / 2);
            for (int k = 0; k < n / 2; k++) data[k] = k < nonzero ? value(source) : (k % 3 == 0 ? -0.0 : 0.0);
            std::vector<double> want = data;
            literalimdct(want, n);
            imdct(data.data(), work.data(), (n / 2 + 1) / 2.0, n);
            ASSERT_EQ(std::memcmp(data.data(), want.data(), n * sizeof(double)), 0) << n << " " << nonzero;
        }
}
