// The measures against values worked out by hand: a gain applied to the reference gives
// the same SNR in every sample, frame and band; a sine with a known square wave added has
// a closed-form SNR; a pure delay is found and removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "measure/align.h"
#include "measure/quality.h"

namespace {

audiosignal noise(int64_t length, uint32_t state) {
    audiosignal s{48000, {std::vector<double>(static_cast<size_t>(length))}};
    for (double& x : s.channels[0]) {
        state = state * 1664525u + 1013904223u;
        x = static_cast<double>(state >> 16) - 32768.0;
    }
    return s;
}

audiosignal scaled(audiosignal s, double gain) {
    for (double& x : s.channels[0]) x *= gain;
    return s;
}

struct gaincase {
    double gain, snr, segsnr, fwsnr, lsd;
};

void PrintTo(const gaincase& c, std::ostream* os) {
    *os << "gain " << c.gain;
}

class measuregain : public ::testing::TestWithParam<gaincase> {};

// t = g r: noise (1 - g) r, band magnitudes |g| X, power spectra g^2 P.
TEST_P(measuregain, givesclosedformmeasures) {
    const gaincase c = GetParam();
    const audiosignal ref = noise(8 * measureframe, 7);
    const comparison m = comparesignals(ref, scaled(ref, c.gain), 0, false);
    EXPECT_NEAR(m.overall.snr, c.snr, 1e-4);
    EXPECT_NEAR(m.overall.segsnr, c.segsnr, 1e-4);
    EXPECT_NEAR(m.overall.fwsnrseg, c.fwsnr, 1e-4);
    EXPECT_NEAR(m.overall.lsd, c.lsd, 0.01);
    EXPECT_EQ(m.overall.frames, 8);
}

INSTANTIATE_TEST_SUITE_P(table, measuregain,
                         ::testing::Values(gaincase{0.9, 20.0, 20.0, 20.0, 0.9151},
                                           gaincase{0.5, 6.0206, 6.0206, 6.0206, 6.0206},
                                           gaincase{-1.0, -6.0206, -6.0206, 35.0, 0.0},
                                           gaincase{-3.0, -12.0412, -10.0, -6.0206, 9.5424}));

TEST(measurequality, identicalsignalsmeettheceilings) {
    const audiosignal ref = noise(3000, 3);
    const comparison m = comparesignals(ref, ref, 0, true);
    EXPECT_TRUE(std::isinf(m.overall.snr));
    EXPECT_EQ(m.overall.segsnr, snrceiling);
    EXPECT_NEAR(m.overall.fwsnrseg, snrceiling, 1e-12);
    EXPECT_EQ(m.overall.lsd, 0.0);
    EXPECT_EQ(m.overall.peak, 0.0);
    EXPECT_EQ(m.overall.identical, 1.0);
    EXPECT_EQ(m.frames.size(), 2u); // the partial frame counts only in SNR, peak and identical
}

// A sine of 1000 with 16 samples per period plus an alternating +-100: 500000 / 10000.
TEST(measurequality, knownnoiselevel) {
    audiosignal ref{48000, {std::vector<double>(4 * measureframe)}}, test = ref;
    for (size_t n = 0; n < ref.channels[0].size(); ++n) {
        ref.channels[0][n] = 1000.0 * std::sin(2.0 * std::numbers::pi * static_cast<double>(n) / 16.0);
        test.channels[0][n] = ref.channels[0][n] + (n % 2 ? 100.0 : -100.0);
    }
    const comparison m = comparesignals(ref, test, 0, false);
    EXPECT_NEAR(m.overall.snr, 16.9897, 1e-4);
    EXPECT_NEAR(m.overall.segsnr, 16.9897, 1e-4);
    EXPECT_NEAR(m.overall.peak, 100.0, 1e-9);
    EXPECT_EQ(m.overall.identical, 0.0);
}

// Frames below -60 dBFS are left out of the frame measures, not of SNR.
TEST(measurequality, silentframesareskipped) {
    audiosignal ref = noise(4 * measureframe, 5);
    for (int32_t n = 0; n < 2 * measureframe; ++n) ref.channels[0][static_cast<size_t>(n)] = 1.0;
    const comparison m = comparesignals(ref, scaled(ref, 0.5), 0, false);
    EXPECT_EQ(m.overall.silentframes, 2);
    EXPECT_NEAR(m.overall.segsnr, 6.0206, 1e-4);
}

// A delay past either end leaves nothing to compare, and no measure.
TEST(measurequality, nooverlapmeasuresnothing) {
    const audiosignal ref = noise(2 * measureframe, 5);
    for (const int64_t delay : {int64_t{5000}, int64_t{-5000}}) {
        const comparison m = comparesignals(ref, ref, delay, true);
        EXPECT_EQ(m.samples, 0);
        EXPECT_TRUE(std::isnan(m.overall.snr) && std::isnan(m.overall.identical));
    }
}

class measuredelay : public ::testing::TestWithParam<int64_t> {};

TEST_P(measuredelay, isfoundandremoved) {
    const int64_t d = GetParam();
    const audiosignal ref = noise(6 * measureframe, 11);
    audiosignal test = ref;
    auto& x = test.channels[0];
    if (d >= 0)
        x.insert(x.begin(), static_cast<size_t>(d), 0.0);
    else
        x.erase(x.begin(), x.begin() - d);
    EXPECT_EQ(searchdelay(ref, test, 2048), d);
    const comparison m = comparesignals(ref, test, d, false);
    EXPECT_EQ(m.overall.identical, 1.0);
    EXPECT_EQ(m.samples, ref.length() - std::max<int64_t>(0, -d));
}

INSTANTIATE_TEST_SUITE_P(table, measuredelay, ::testing::Values(0, 1024, 37, -300));

} // namespace
