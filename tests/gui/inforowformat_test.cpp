#include "app/inforowformat.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(InfoRowFormat, EveryKindFormatsAsTheRowShowsIt) {
    EXPECT_EQ(formatinforow(0, "input bitstream", 80.25, "kbit/s", 1), "input bitstream 80.3 kbit/s");
    // Kinds: 0 fixed, 1 exponent, 2 truncated toward zero, 3 label only,
    // others blank. Fixed rounds the exact binary value half away from zero: 80.25 is a tie
    // (printf would give 80.2), 0.15 is stored a little below, and digits below the first
    // dropped one must not push it over (0.0499999).
    const auto row = [](int kind, double value, int digits) {
        return formatinforow(kind, "r", value, "", digits);
    };
    EXPECT_EQ(row(0, -80.25, 1), "r -80.3 ");
    EXPECT_EQ(row(0, 0.125, 2), "r 0.13 ");
    EXPECT_EQ(row(0, 0.15, 1), "r 0.1 ");
    EXPECT_EQ(row(0, 0.0499999, 1), "r 0.0 ");
    EXPECT_EQ(row(0, 9.96, 1), "r 10.0 ");
    EXPECT_EQ(row(0, 99.5, 0), "r 100 ");
    EXPECT_EQ(row(0, INFINITY, 1), "r inf ");
    EXPECT_EQ(row(1, 0.0, 1), "r 0.0e+00 ");
    EXPECT_EQ(row(1, 0.125, 1), "r 1.3e-01 ");
    EXPECT_EQ(row(1, -0.00996, 1), "r -1.0e-02 ");
    EXPECT_EQ(row(1, 9.5, 0), "r 1e+01 ");
    EXPECT_EQ(row(1, 2.5e-300, 1), "r 2.5e-300 ");
    EXPECT_EQ(row(1, -INFINITY, 1), "r -inf ");
    EXPECT_EQ(row(2, 2.9, 1), "r 2 ");
    EXPECT_EQ(row(2, -0.9, 1), "r 0 ");
    EXPECT_EQ(row(2, 1e10, 1), "r 10000000000 ");
    EXPECT_EQ(row(2, NAN, 1), "r nan ");
    EXPECT_EQ(row(3, 5.0, 1), "r");
    EXPECT_EQ(row(4, 5.0, 1), "");
    EXPECT_EQ(row(-1, 5.0, 1), "");
    EXPECT_EQ(formatinforow(0, "r", 1e300, "", 1).size(), 2 + 301 + 2 + 1u);
}
