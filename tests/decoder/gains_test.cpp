#include <gtest/gtest.h>

#include <cmath>

#include "codec/decoder/zatdec.h"

namespace {

// A decoder whose spectrum is all ones, 8 short blocks of 128 in 32 bands of 4 (short)
// and 32 bands of 32 (long).
struct gainfixture {
    zatdec dec;
    gainfixture() {
        dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32);
        dec.bndsize1.assign(32, 4);
        dec.bndsize2.assign(32, 32);
        dec.reset_sideinfo();
        for (auto& row : dec.mdctbuf) row.assign(1024, 1.0);
        dec.weighton = 1;
        dec.weightstep = 3.0;
        dec.nbandcoded = 3;
    }
};

double gain(double level) {
    return 262144.0 * std::pow(10.0, level / 20.0);
}

} // namespace

TEST(Gains, WeightModeOneFirstBandFollowsTheReferenceOnly) {
    gainfixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 1;
    f.dec.wpredmode = 1;
    f.dec.weightref[0] = 5;
    f.dec.weight[0][0] = 17; // not used
    f.dec.weight[0][1] = 2;
    f.dec.weight[0][2] = -1;
    f.dec.apply_weights();
    EXPECT_EQ(f.dec.mdctbuf[0][0], gain(-5 * 3.0));
    EXPECT_EQ(f.dec.mdctbuf[0][32], gain(2 * 3.0 + -15.0));
    EXPECT_EQ(f.dec.mdctbuf[0][64], gain(-1 * 3.0 + -9.0)); // the reference moved to band 1's level
}

TEST(Gains, WeightModeOneLinearPrediction) {
    gainfixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 1;
    f.dec.wpredmode = 2;
    f.dec.weightref[0] = 0;
    f.dec.weight[0][1] = 2; // level 6, reference 2*6 - 0 = 12
    f.dec.weight[0][2] = 1; // level 15
    f.dec.apply_weights();
    EXPECT_EQ(f.dec.mdctbuf[0][64], gain(1 * 3.0 + 12.0));
}

TEST(Gains, WeightModesZeroAndTwo) {
    gainfixture zero;
    zero.dec.blockmode = ALL_LONG;
    zero.dec.weightmode = 0;
    zero.dec.weightbits = 4;
    zero.dec.weightref[0] = 2;
    zero.dec.weight[0][1] = 11;
    zero.dec.apply_weights();
    EXPECT_EQ(zero.dec.mdctbuf[0][40], gain((11 - 8) * 3.0 + -6.0));

    gainfixture two;
    two.dec.blockmode = ALL_LONG;
    two.dec.weightmode = 2;
    two.dec.weight[0][2] = -7;
    two.dec.apply_weights();
    EXPECT_EQ(two.dec.mdctbuf[0][70], gain(-7 * 3.0));
}

TEST(Gains, BandsBeyondTheCodedOnesAreExactlyZero) {
    gainfixture f;
    f.dec.blockmode = ALL_SHORT;
    f.dec.weightmode = 2;
    f.dec.apply_weights();
    for (int32_t b = 0; b < 8; ++b)
        for (int32_t k = 12; k < 128; ++k) ASSERT_EQ(f.dec.mdctbuf[b][k], 0.0);
    EXPECT_EQ(f.dec.mdctbuf[7][11], gain(-100 * 3.0));
    EXPECT_EQ(f.dec.mdctbuf[0][200], 1.0); // beyond the short block: untouched
}

TEST(Gains, GroupsShareTheLeadersWeights) {
    gainfixture f;
    f.dec.blockmode = SHORT_LONG;
    f.dec.weightmode = 2;
    f.dec.scfres = {0, 0, 0, 1, 0, 0, 0, 0}; // block 0 leads even without its flag
    f.dec.weight[0][0] = 1;
    f.dec.weight[3][0] = 2;
    f.dec.apply_weights();
    EXPECT_EQ(f.dec.mdctbuf[2][0], gain(3.0));
    EXPECT_EQ(f.dec.mdctbuf[7][0], gain(6.0));
}

TEST(Gains, NothingForAConcealedFrameOrWithoutWeights) {
    gainfixture lost;
    lost.dec.blockmode = LOST_FRAME;
    lost.dec.apply_weights();
    EXPECT_EQ(lost.dec.mdctbuf[0][500], 1.0);
    gainfixture off;
    off.dec.blockmode = ALL_LONG;
    off.dec.weighton = 0;
    off.dec.apply_weights();
    EXPECT_EQ(off.dec.mdctbuf[0][500], 1.0);
}

TEST(Gains, AbsurdLevelsFollowTheIeeeArithmetic) {
    gainfixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 2;
    f.dec.weight[0][0] = 32767; // a damaged weight: 98301 dB, beyond any double
    f.dec.mdctbuf[0][1] = 0.0;
    f.dec.apply_weights();
    EXPECT_EQ(f.dec.mdctbuf[0][0], INFINITY);
    EXPECT_TRUE(std::isnan(f.dec.mdctbuf[0][1])); // inf times zero
}
