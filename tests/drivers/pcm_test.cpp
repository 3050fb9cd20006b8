#include "engine/io/pcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/random.h"

TEST(PcmConversion, LimitsWithoutDither) {
    const double in[] = {1.0, -1.0, 0.49999 / 32768, 2.5, -7.0, 0.5 / 32768, -0.5 / 32768, 1000.0 / 32768};
    int16_t out[8] = {};
    pcmconvert(in, out, 8, 1, 0);
    EXPECT_EQ(out[0], 32767); // clipped from 32768
    EXPECT_EQ(out[1], -32768);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 32767);
    EXPECT_EQ(out[4], -32768);
    EXPECT_EQ(out[5], 1); // floor(0.5 + 0.5)
    EXPECT_EQ(out[6], 0); // floor(-0.5 + 0.5)
    EXPECT_EQ(out[7], 1000);
}

TEST(PcmConversion, InterleavesAtTheChannelStride) {
    const double in[] = {0.25, 0.5, -0.25};
    int16_t out[6] = {7, 7, 7, 7, 7, 7};
    pcmconvert(in, out + 1, 3, 2, 0);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 8192);
    EXPECT_EQ(out[3], 16384);
    EXPECT_EQ(out[5], -8192);
    EXPECT_EQ(out[4], 7);
}

TEST(PcmConversion, TriangularDitherTakesTwoDrawsPerSampleInOrder) {
    random_seed(1);
    const int r1 = random_draw(), r2 = random_draw(), r3 = random_draw(), r4 = random_draw();
    const double d1 = r2 / 32767.0 + r1 / 32767.0 - 1.0;
    const double d2 = r4 / 32767.0 + r3 / 32767.0 - 1.0;
    random_seed(1);
    const double in[] = {100.3 / 32768, -40.6 / 32768};
    int16_t out[2] = {};
    pcmconvert(in, out, 2, 1, 1);
    EXPECT_EQ(out[0], static_cast<int16_t>(std::floor(32768.0 * in[0] + d1 + 0.5)));
    EXPECT_EQ(out[1], static_cast<int16_t>(std::floor(32768.0 * in[1] + d2 + 0.5)));
    random_seed(1);
    for (int i = 0; i < 4; i++) random_draw();
    const uint32_t after = random_state();
    random_seed(1);
    pcmconvert(in, out, 2, 1, 1);
    EXPECT_EQ(random_state(), after);
}

TEST(PcmConversion, DitherStaysWithinOneStep) {
    random_seed(1);
    std::vector<double> in(4096, 0.0);
    std::vector<int16_t> out(4096);
    pcmconvert(in.data(), out.data(), 4096, 1, 1);
    for (int16_t s : out) EXPECT_TRUE(s >= -1 && s <= 1);
}

TEST(PcmConversion, EqualsFloorAndClipAtEveryEdge) {
    // The conversion as written out: floor, clip, NaN to 0.
    auto reference = [](double v) {
        double s = std::floor(v);
        if (s > 32767.0) s = 32767.0;
        if (s < -32768.0) s = -32768.0;
        return std::isnan(s) ? int16_t{0} : static_cast<int16_t>(s);
    };
    std::vector<double> values = {0.0,      -0.0,         0.5,           -0.5,    -1.0,     -1.5,
                                  32766.5,  32767.0,      32767.5,       32768.0, -32767.5, -32768.0,
                                  -32768.5, -32769.0,     1e300,         -1e300,  INFINITY, -INFINITY,
                                  NAN,      2147483648.0, -2147483649.0, 1e-300,  -1e-300};
    for (int i = -70000; i <= 70000; i += 7) values.push_back(i / 2.0 + 0.25 * (i % 3));
    for (double v : values) {
        // in[0] * 32768 + 0.0 + 0.5 reproduces v exactly for these values.
        const double in = (v - 0.5) / 32768.0;
        if (32768.0 * in + 0.0 + 0.5 != v && !std::isnan(v)) continue;
        int16_t out = 7;
        pcmconvert(&in, &out, 1, 1, 0);
        EXPECT_EQ(out, reference(32768.0 * in + 0.0 + 0.5)) << v;
    }
}

TEST(PcmConversion, DitherOverManySamplesFollowsTheDrawOrder) {
    // 150 samples at a stride of 2: the draws and the samples stay paired across the
    // converter's internal chunks.
    std::vector<double> in(150);
    for (int i = 0; i < 150; i++) in[i] = std::sin(i * 0.37) * 0.8 + (i % 9 == 0 ? 2.0 : 0.0);
    random_seed(777);
    std::vector<int16_t> want(300, 5);
    for (int i = 0; i < 150; i++) {
        const int r1 = random_draw(), r2 = random_draw();
        double s = std::floor(32768.0 * in[i] + (r2 / 32767.0 + r1 / 32767.0 - 1.0) + 0.5);
        s = std::min(32767.0, std::max(-32768.0, s));
        want[2 * i] = static_cast<int16_t>(s);
    }
    const uint32_t after = random_state();
    random_seed(777);
    std::vector<int16_t> got(300, 5);
    pcmconvert(in.data(), got.data(), 150, 2, 1);
    EXPECT_EQ(got, want);
    EXPECT_EQ(random_state(), after);
}
