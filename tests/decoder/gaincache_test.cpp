#include "codec/decoder/gaincache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(GainCache, ReturnsExactlyTheComputedGainAndComputesEachLevelOnceWhileItStays) {
    gaincache cache;
    int computed = 0;
    auto gain = [&computed](double level) {
        ++computed;
        return 262144.0 * std::pow(10.0, level / 20.0);
    };
    std::vector<double> levels;
    for (int w = -40; w <= 40; w++) levels.push_back(w * 1.5);
    for (double level : levels) EXPECT_EQ(cache.lookup(level, gain), gain(level));
    const int first = computed;
    // Again: hits return the same doubles; a level evicted by a colliding one is recomputed.
    for (double level : levels) EXPECT_EQ(cache.lookup(level, gain), 262144.0 * std::pow(10.0, level / 20.0));
    EXPECT_LE(computed - first, static_cast<int>(levels.size()));
}

TEST(GainCache, TellsLevelsApartByTheirBits) {
    gaincache cache;
    auto sign = [](double level) { return std::signbit(level) ? -1.0 : 1.0; };
    EXPECT_EQ(cache.lookup(0.0, sign), 1.0);
    EXPECT_EQ(cache.lookup(-0.0, sign), -1.0);
    EXPECT_EQ(cache.lookup(0.0, sign), 1.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(cache.lookup(nan, [](double level) { return level; })));
    EXPECT_EQ(cache.lookup(std::nextafter(3.0, 4.0), [](double) { return 7.0; }), 7.0);
    EXPECT_EQ(cache.lookup(3.0, [](double) { return 9.0; }), 9.0);
}
