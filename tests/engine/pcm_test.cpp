// The 16-bit conversion: the dither fraction without a division is the quotient for every
// draw, and the conversion of a frame, with and without dither, is the literal formula
// sample by sample (rounding, clipping, NaN as silence), and interleaving puts the channels
// of each sample side by side.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/io/pcm.h"

TEST(Pcm, DrawFractionIsTheQuotientForEveryDraw) {
    for (int32_t r = 0; r <= random_max; r++) ASSERT_EQ(drawfraction(r), r / 32767.0) << r;
}

TEST(Pcm, ConversionIsTheLiteralFormula) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> in = {1.0, -1.0, 0.49999 / 32768, -0.5 / 32768, -1.5 / 32768, 2.0, -2.0,
                              inf, -inf, std::nan(""),    0.25,         -0.123456789};
    for (int i = 0; in.size() < 1000; i++) in.push_back(std::sin(i * 0.37) * 1.01);
    for (const int32_t dither : {0, 1}) {
        randomsource random(12345), reference(12345);
        std::vector<int16_t> out(in.size());
        pcmconvert(random, in.data(), out.data(), static_cast<int32_t>(in.size()), dither);
        for (size_t i = 0; i < in.size(); i++) {
            double d = 0.0;
            if (dither != 0) {
                const int r1 = reference.draw();
                d = reference.draw() / 32767.0 + r1 / 32767.0 - 1.0;
            }
            const double s = std::floor(32768.0 * in[i] + d + 0.5);
            const int16_t expected =
                std::isnan(s) ? 0 : static_cast<int16_t>(std::clamp(s, -32768.0, 32767.0));
            ASSERT_EQ(out[i], expected) << i << " dither " << dither;
        }
        EXPECT_EQ(random.state(), reference.state());
    }
}

TEST(Pcm, InterleavingPutsEachSamplesChannelsSideBySide) {
    for (const int32_t nch : {1, 2, 3}) {
        const int32_t n = 37;
        std::vector<int16_t> planar(static_cast<size_t>(n * nch)), out(planar.size(), -1);
        for (size_t i = 0; i < planar.size(); i++) planar[i] = static_cast<int16_t>(i);
        interleave(planar.data(), n, nch, out.data());
        for (int32_t i = 0; i < n; i++)
            for (int32_t c = 0; c < nch; c++) ASSERT_EQ(out[i * nch + c], c * n + i) << nch;
    }
}
