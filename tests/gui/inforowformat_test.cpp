#include "app/inforowformat.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(InfoRowFormat, FixedRoundsExactValueHalfAwayFromZero) {
    // 80.25 is exact in binary: a tie, which goes away from zero (printf would give 80.2).
    EXPECT_EQ(formatinforow(0, "input bitstream", 80.25, "kbit/s", 1), "input bitstream 80.3 kbit/s");
    EXPECT_EQ(formatinforow(0, "r", -80.25, "u", 1), "r -80.3 u");
    EXPECT_EQ(formatinforow(0, "r", 0.125, "u", 2), "r 0.13 u");
    // 0.15 is stored a little below 0.15, so the exact value rounds down.
    EXPECT_EQ(formatinforow(0, "r", 0.15, "u", 1), "r 0.1 u");
    // Digits below the first dropped one must not push it over: 0.0499999 stays 0.0.
    EXPECT_EQ(formatinforow(0, "r", 0.0499999, "u", 1), "r 0.0 u");
    EXPECT_EQ(formatinforow(0, "r", 9.96, "u", 1), "r 10.0 u");
    EXPECT_EQ(formatinforow(0, "r", 99.5, "u", 0), "r 100 u");
    EXPECT_EQ(formatinforow(0, "decoded bitrate", 0.0, "kbit/s", 1), "decoded bitrate 0.0 kbit/s");
    EXPECT_EQ(formatinforow(0, "r", 1e300, "", 1).size(), 2 + 301 + 2 + 1u);
}

TEST(InfoRowFormat, ExponentFormHasOneDigitOneDecimal) {
    EXPECT_EQ(formatinforow(1, "bit error rate", 0.0, "", 1), "bit error rate 0.0e+00 ");
    EXPECT_EQ(formatinforow(1, "bit error rate", 0.0001, "", 1), "bit error rate 1.0e-04 ");
    EXPECT_EQ(formatinforow(1, "r", 0.125, "", 1), "r 1.3e-01 ");
    EXPECT_EQ(formatinforow(1, "r", -0.00996, "", 1), "r -1.0e-02 ");
    EXPECT_EQ(formatinforow(1, "r", 9.5, "", 0), "r 1e+01 ");
    EXPECT_EQ(formatinforow(1, "r", 2.5e-300, "", 1), "r 2.5e-300 ");
}

TEST(InfoRowFormat, TruncatedFormCutsTowardZero) {
    EXPECT_EQ(formatinforow(2, "frames", 2.9, "", 1), "frames 2 ");
    EXPECT_EQ(formatinforow(2, "frames", -2.9, "", 1), "frames -2 ");
    EXPECT_EQ(formatinforow(2, "frames", -0.9, "", 1), "frames 0 ");
    // Beyond the 32-bit range the whole number still prints, without overflow.
    EXPECT_EQ(formatinforow(2, "r", 1e10, "", 1), "r 10000000000 ");
}

TEST(InfoRowFormat, LabelOnlyAndBlankKinds) {
    EXPECT_EQ(formatinforow(3, "heading", 5.0, "kbit/s", 1), "heading");
    EXPECT_EQ(formatinforow(4, "set but unused", 5.0, "kbit/s", 1), "");
    EXPECT_EQ(formatinforow(-1, "x", 5.0, "", 1), "");
}

TEST(InfoRowFormat, NonFiniteValuesPrintAsPrintfDoes) {
    EXPECT_EQ(formatinforow(0, "r", INFINITY, "", 1), "r inf ");
    EXPECT_EQ(formatinforow(1, "r", -INFINITY, "", 1), "r -inf ");
    EXPECT_EQ(formatinforow(2, "r", NAN, "", 1), "r nan ");
}
