#include "codec/synthesis/fft.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

TEST(Fft, InverseOfImpulseIsFlat) {
    for (int n : {1, 2, 8, 64, 512}) {
        std::vector<double> re(n, 0.0), im(n, 0.0);
        re[0] = 1.0;
        fft(re.data(), im.data(), -1, n);
        for (int k = 0; k < n; k++) {
            EXPECT_EQ(re[k], 1.0 / n) << "n " << n << " k " << k;
            EXPECT_EQ(im[k], 0.0);
        }
    }
}

TEST(Fft, ShiftedImpulseGivesTheUnitCircle) {
    const int n = 32;
    std::vector<double> re(n, 0.0), im(n, 0.0);
    re[1] = 1.0;
    fft(re.data(), im.data(), 1, n);
    for (int k = 0; k < n; k++) {
        EXPECT_NEAR(re[k], std::cos(2 * std::numbers::pi * k / n), 1e-14);
        EXPECT_NEAR(im[k], -std::sin(2 * std::numbers::pi * k / n), 1e-14);
    }
}

// Both directions against the direct sums, and forward then inverse returns the input.
TEST(Fft, MatchesDirectTransformAndInvertsItself) {
    std::mt19937 source(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int n : {4, 16, 256}) {
        std::vector<double> re(n), im(n);
        for (int j = 0; j < n; j++) {
            re[j] = value(source);
            im[j] = value(source);
        }
        const std::vector<double> re0 = re, im0 = im;
        fft(re.data(), im.data(), 1, n);
        for (int k = 0; k < n; k++) {
            double sr = 0.0, si = 0.0;
            for (int j = 0; j < n; j++) {
                const double a = -2 * std::numbers::pi * j * k / n;
                sr += re0[j] * std::cos(a) - im0[j] * std::sin(a);
                si += re0[j] * std::sin(a) + im0[j] * std::cos(a);
            }
            EXPECT_NEAR(re[k], sr, 1e-12 * n);
            EXPECT_NEAR(im[k], si, 1e-12 * n);
        }
        fft(re.data(), im.data(), -1, n);
        for (int j = 0; j < n; j++) {
            EXPECT_NEAR(re[j], re0[j], 1e-14 * n);
            EXPECT_NEAR(im[j], im0[j], 1e-14 * n);
        }
    }
}

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
            for (int k = 0; k < n; k++) {
                ASSERT_EQ(std::bit_cast<uint64_t>(re[k]), std::bit_cast<uint64_t>(wantre[k]))
                    << n << " " << k;
                ASSERT_EQ(std::bit_cast<uint64_t>(im[k]), std::bit_cast<uint64_t>(wantim[k]))
                    << n << " " << k;
            }
        }
}
