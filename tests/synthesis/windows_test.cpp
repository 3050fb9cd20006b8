#include "codec/synthesis/windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "codec/decoder/codec.h"

TEST(Windows, BesselI0) {
    EXPECT_EQ(besseli0(0.0), 1.0);
    EXPECT_NEAR(besseli0(3 * std::numbers::pi), 1633.0905, 1e-4);
    EXPECT_NEAR(besseli0(1.0), std::cyl_bessel_i(0.0, 1.0), 1e-9);
}

TEST(Windows, KaiserBesselDerivedReferenceValues) {
    std::vector<double> w(128);
    kbdwindow(w.data(), 3.0, 256);
    EXPECT_NEAR(w[0], 0.0034473, 5e-8);
    EXPECT_NEAR(w[1], 0.0057854, 5e-8);
    EXPECT_NEAR(w[127], 0.99999406, 5e-9);

    std::vector<double> longw(1024);
    kbdwindow(longw.data(), 3.0, 2048);
    EXPECT_NEAR(longw[0], 0.0012188, 5e-8);
}

TEST(Windows, SineReferenceValue) {
    std::vector<double> w(128);
    sinewindow(w.data(), 256);
    EXPECT_NEAR(w[0], 0.0061359, 5e-8);
    EXPECT_NEAR(w[127], std::sin(127.5 * std::numbers::pi / 256), 0.0);
}

// Both shapes, every length in use: mirrored halves and power complementarity.
TEST(Windows, MakewindowIsSymmetricAndPowerComplementary) {
    for (int shape : {0, 1}) {
        for (int length : {128, 256, 2048}) {
            codec state;
            state.windowshape = shape;
            std::vector<double> w(length);
            state.makewindow(w.data(), length);
            for (int i = 0; i < length / 2; i++) {
                EXPECT_EQ(w[length - 1 - i], w[i]);
                EXPECT_NEAR(w[i] * w[i] + w[i + length / 2] * w[i + length / 2], 1.0, 1e-12)
                    << "shape " << shape << " length " << length << " i " << i;
                if (i > 0) {
                    EXPECT_GT(w[i], w[i - 1]);
                }
            }
        }
    }
}
