#include "synthesis/fft.h"

#include <gtest/gtest.h>

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
