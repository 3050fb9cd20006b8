#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/random.h"
#include "codec/decoder/zatdec.h"

namespace {

// A 44.1 kHz channel (start bin 23 of 1024, 3 of 128) with distinct last good spectra.
class Concealment : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32), 0);
        dec.setsamplerate(6);
        for (int k = 0; k < 1024; k++) dec.lastgoodlong[k] = 0.001 * (k + 1) * (k % 3 == 0 ? -1 : 1);
        for (int k = 0; k < 128; k++) dec.lastgoodshort[k] = 0.01 * (k + 1) * (k % 2 == 0 ? -1 : 1);
        random_seed(12345);
    }

    void losemode(int lastblockmode) {
        dec.reset_spectrum();
        dec.blockmode = LOST_FRAME;
        dec.lastblockmode = static_cast<int16_t>(lastblockmode);
        dec.conceal_spectrum();
    }

    // A long frame whose coefficient data failed a pass CRC at the given plane.
    void fillmode(int blockmode, int lastblockmode, int crcerrorpos) {
        dec.blockmode = static_cast<int16_t>(blockmode);
        dec.lastblockmode = static_cast<int16_t>(lastblockmode);
        dec.crcerror = 1;
        dec.crcerrorpos = crcerrorpos;
        dec.conceal_spectrum();
    }

    zatdec dec;
};

// The state of the random source after n further draws from state.
uint32_t stateafter(uint32_t state, int n) {
    const uint32_t saved = random_state();
    random_seed(state);
    for (int i = 0; i < n; i++) random_draw();
    const uint32_t result = random_state();
    random_seed(saved);
    return result;
}

double sign(int draw) {
    return draw / 32767.0 <= 0.5 ? -1.0 : 1.0;
}

} // namespace

TEST_F(Concealment, LostLongFrameAfterLongFlipsSignsFromTheStartBin) {
    const std::vector<double> good = dec.lastgoodlong;
    const uint32_t start = random_state();
    losemode(ALL_LONG);
    EXPECT_EQ(dec.blockmode, CONCEALED_LONG);

    random_seed(start);
    int flipped = 0;
    for (int k = 0; k < 1024; k++) {
        const double expected = k < 23 ? good[k] : sign(random_draw()) * good[k];
        ASSERT_EQ(dec.mdctbuf[0][k], expected) << "k " << k;
        flipped += dec.mdctbuf[0][k] != good[k];
    }
    EXPECT_GT(flipped, 400); // about half of the 1001 signs
    EXPECT_EQ(random_state(), stateafter(start, 1001));
    for (int b = 1; b < 8; b++) EXPECT_EQ(dec.mdctbuf[b], std::vector<double>(1024, 0.0));
}

TEST_F(Concealment, WithoutRandomSignsTheLastSpectrumRepeatsAndNothingIsDrawn) {
    dec.signrandom_on = 0;
    const std::vector<double> good = dec.lastgoodlong;
    const uint32_t start = random_state();
    losemode(LONG_SHORT);
    EXPECT_EQ(dec.blockmode, CONCEALED_LONG);
    EXPECT_EQ(dec.mdctbuf[0], good);
    EXPECT_EQ(random_state(), start);
}

TEST_F(Concealment, FurtherLostFramesFadeByTheAttenuation) {
    dec.signrandom_on = 0;
    const std::vector<double> good = dec.lastgoodlong;
    const double g = std::pow(10.0, -1.5 / 20);
    EXPECT_NEAR(g, 0.8414, 1e-4);

    losemode(ALL_LONG); // the first substitute is at full level
    EXPECT_EQ(dec.mdctbuf[0], good);
    losemode(dec.blockmode);
    EXPECT_EQ(dec.blockmode, CONCEALED_LONG);
    for (int k = 0; k < 1024; k++) ASSERT_EQ(dec.mdctbuf[0][k], g * good[k]);
    losemode(dec.blockmode);
    for (int k = 0; k < 1024; k++) ASSERT_EQ(dec.mdctbuf[0][k], g * (g * good[k]));

    dec.concealatten_on = 0;
    const std::vector<double> level = dec.lastgoodlong;
    losemode(dec.blockmode);
    losemode(dec.blockmode);
    EXPECT_EQ(dec.mdctbuf[0], level);
}

TEST_F(Concealment, LostShortFrameFillsEveryBlock) {
    dec.signrandom_on = 0;
    for (int last : {ALL_SHORT, SHORT_LONG, CONCEALED_SHORT}) {
        dec.concealatten_on = 0;
        losemode(last);
        EXPECT_EQ(dec.blockmode, CONCEALED_SHORT);
        for (int b = 0; b < 8; b++) {
            for (int k = 0; k < 128; k++) ASSERT_EQ(dec.mdctbuf[b][k], dec.lastgoodshort[k]);
            for (int k = 128; k < 1024; k++) ASSERT_EQ(dec.mdctbuf[b][k], 0.0);
        }
    }
}

TEST_F(Concealment, NothingToRepeatAfterAnUnsynthesisedFrame) {
    const std::vector<double> good = dec.lastgoodlong;
    const uint32_t start = random_state();
    losemode(LOST_FRAME);
    EXPECT_EQ(dec.blockmode, LOST_FRAME);
    EXPECT_EQ(dec.mdctbuf[0], std::vector<double>(1024, 0.0));
    EXPECT_EQ(dec.lastgoodlong, good);
    EXPECT_EQ(random_state(), start);
}

TEST_F(Concealment, NoiseFillingTouchesOnlyExactZeros) {
    const std::vector<double> good = dec.lastgoodlong;
    std::vector<double>& row = dec.mdctbuf[0];
    for (int k = 0; k < 1024; k++) row[k] = k % 4 == 0 ? 0.0 : 0.5;
    row[101] = 1e-300;
    row[102] = -4.9e-324;
    const std::vector<double> before = row;
    const uint32_t start = random_state();
    fillmode(ALL_LONG, ALL_LONG, 4);
    EXPECT_EQ(dec.blockmode, ALL_LONG);

    const double g = std::pow(10.0, -1.5 / 20);
    random_seed(start);
    int draws = 0;
    for (int k = 0; k < 1024; k++) {
        if (before[k] != 0.0) {
            ASSERT_EQ(row[k], before[k]) << "k " << k;
        } else {
            const double s = k < 23 ? 1.0 : (draws++, sign(random_draw()));
            ASSERT_EQ(row[k], s * g * good[k]) << "k " << k;
        }
    }
    EXPECT_EQ(random_state(), stateafter(start, draws));
    // A filled frame is itself remembered, at its own level.
    EXPECT_EQ(dec.lastgoodlong, row);
}

TEST_F(Concealment, NoiseFillingNeedsAnEarlyFailureAndAMatchingSpectrum) {
    const uint32_t start = random_state();
    fillmode(ALL_LONG, ALL_LONG, 5); // below the fill threshold of 4
    EXPECT_EQ(dec.mdctbuf[0], std::vector<double>(1024, 0.0));
    dec.lastgoodshort.assign(128, 0.25);
    for (int last : {ALL_LONG, LONG_SHORT, CONCEALED_SHORT}) {
        fillmode(ALL_SHORT, last, 0);
        for (int b = 0; b < 8; b++) EXPECT_EQ(dec.mdctbuf[b], std::vector<double>(1024, 0.0));
    }
    EXPECT_EQ(random_state(), start);

    // Each short frame above was remembered as the last good one.
    EXPECT_EQ(dec.lastgoodshort, std::vector<double>(128, 0.0));
    dec.lastgoodshort.assign(128, 0.25);
    dec.signrandom_on = 0;
    dec.concealatten_on = 0;
    fillmode(SHORT_LONG, SHORT_LONG, 0);
    for (int b = 0; b < 8; b++)
        for (int k = 0; k < 128; k++) ASSERT_EQ(dec.mdctbuf[b][k], 0.25);
}

TEST_F(Concealment, FlatNoiseFollowsTheMeanSquareAboveTheStartBin) {
    dec.concealmethod = 2;
    const std::vector<double> good = dec.lastgoodlong;
    double sum = 0.0;
    for (int j = 23; j < 1024; j++) sum = sum + good[j] * good[j];
    const double level = std::sqrt((12 * sum) / 1001);
    const uint32_t start = random_state();
    losemode(ALL_LONG);

    random_seed(start);
    for (int k = 0; k < 1024; k++) {
        const double expected = k < 23 ? good[k] : (random_draw() / 32767.0 - 0.5) * level;
        ASSERT_EQ(dec.mdctbuf[0][k], expected) << "k " << k;
    }
    EXPECT_EQ(random_state(), stateafter(start, 1001));
}

// ERB ranges at 44.1 kHz, M = 1024: bin 0 uses only itself, bin 100 the bins 94..105,
// and the top bin is clamped to the spectrum.
TEST_F(Concealment, ErbNoiseFollowsTheLocalLevel) {
    dec.concealmethod = 3;
    dec.noisestart = 0.0;
    const std::vector<double> good = dec.lastgoodlong;
    const auto level = [&](int lo, int hi) {
        double sum = 0.0;
        for (int j = lo; j <= hi; j++) sum = sum + good[j] * good[j];
        return std::sqrt((12 * sum) / (hi - lo + 1));
    };
    const uint32_t start = random_state();
    losemode(ALL_LONG);

    random_seed(start);
    std::vector<int> draws(1024);
    for (int& r : draws) r = random_draw();
    EXPECT_EQ(dec.mdctbuf[0][0], (draws[0] / 32767.0 - 0.5) * level(0, 0));
    EXPECT_EQ(dec.mdctbuf[0][100], (draws[100] / 32767.0 - 0.5) * level(94, 105));
    // Bin 1023: width 1.147 + 110.42, so lo = 1023 - 56 and hi is clamped to 1023.
    EXPECT_EQ(dec.mdctbuf[0][1023], (draws[1023] / 32767.0 - 0.5) * level(967, 1023));
    EXPECT_EQ(random_state(), stateafter(start, 1024));
}

TEST_F(Concealment, WithoutANoiseRegionNoiseMethodsCopyAndDrawNothing) {
    dec.noisestart = 100.0; // start bin beyond the spectrum
    dec.concealatten_on = 0;
    const uint32_t start = random_state();
    for (int method : {2, 3}) {
        dec.concealmethod = method;
        const std::vector<double> good = dec.lastgoodlong;
        losemode(ALL_LONG);
        EXPECT_EQ(dec.mdctbuf[0], good);
        for (double v : dec.mdctbuf[0]) EXPECT_TRUE(std::isfinite(v));

        dec.mdctbuf[0].assign(1024, 0.0);
        fillmode(ALL_LONG, ALL_LONG, 0);
        EXPECT_EQ(dec.mdctbuf[0], good);
    }
    EXPECT_EQ(random_state(), start);
}

TEST_F(Concealment, LastGoodSpectrumFollowsTheBlockMode) {
    dec.mdctbuf[0].assign(1024, 0.125);
    dec.mdctbuf[7].assign(1024, -0.5);
    dec.blockmode = LONG_SHORT;
    dec.conceal_spectrum();
    EXPECT_EQ(dec.lastgoodlong, std::vector<double>(1024, 0.125));
    dec.blockmode = SHORT_LONG;
    dec.conceal_spectrum();
    EXPECT_EQ(dec.lastgoodshort, std::vector<double>(128, -0.5));
}
