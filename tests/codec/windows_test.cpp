#include "codec/synthesis/windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "codec/decoder/codec.h"

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
