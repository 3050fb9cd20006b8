// Attack detection, block-mode choice and grouping of short blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "codec/decoder/codec.h"
#include "encoder/blockswitch.h"

namespace {

std::vector<double> steadysine() {
    std::vector<double> span(2048);
    for (size_t i = 0; i < span.size(); i++)
        span[i] = 0.5 * std::sin(2 * std::numbers::pi * 1000.0 * i / 48000.0);
    return span;
}

TEST(AttackDetection, SteadyToneHasNone) {
    const auto span = steadysine();
    EXPECT_FALSE(hasattack(span.data(), 1024, 128));
    EXPECT_FALSE(hasattack(span.data(), 1024, 64));
}

TEST(AttackDetection, ClickInsideTheShortBlocksIsFound) {
    // The short blocks cover samples 448 .. 1599 of the span (480 .. 1567 with 64).
    for (int at : {500, 1000, 1500}) {
        auto span = steadysine();
        for (int i = 0; i < 16; i++) span[at + i] += (i % 2 == 0 ? 0.6 : -0.6);
        EXPECT_TRUE(hasattack(span.data(), 1024, 128)) << at;
        EXPECT_TRUE(hasattack(span.data(), 1024, 64)) << at;
    }
}

TEST(AttackDetection, ClickOutsideTheShortBlocksIsLeftToTheNeighbours) {
    auto span = steadysine();
    for (int i = 0; i < 16; i++) span[1800 + i] += (i % 2 == 0 ? 0.6 : -0.6);
    EXPECT_FALSE(hasattack(span.data(), 1024, 128));
}

TEST(AttackDetection, SilenceAndTinyOnsetsDoNotCount) {
    std::vector<double> span(2048, 0.0);
    EXPECT_FALSE(hasattack(span.data(), 1024, 128));
    for (size_t i = 1000; i < span.size(); i++) span[i] = 1e-5 * std::sin(0.3 * static_cast<double>(i));
    EXPECT_FALSE(hasattack(span.data(), 1024, 128));
}

TEST(BlockModes, EverySequenceOfShortAndLongIsLegal) {
    EXPECT_EQ(blockmodefor(false, false), ALL_LONG);
    EXPECT_EQ(blockmodefor(false, true), LONG_SHORT);
    EXPECT_EQ(blockmodefor(true, true), ALL_SHORT);
    EXPECT_EQ(blockmodefor(true, false), SHORT_LONG);
    // The successor of each mode, whatever the next frame needs, is one the synthesis
    // overlaps correctly: a long frame only after ALL_LONG or SHORT_LONG.
    for (int a = 0; a < 2; a++)
        for (int b = 0; b < 2; b++)
            for (int c = 0; c < 2; c++) {
                const int16_t first = blockmodefor(a != 0, b != 0);
                const int16_t second = blockmodefor(b != 0, c != 0);
                EXPECT_TRUE(!islongmode(second) || first == ALL_LONG || first == SHORT_LONG);
                EXPECT_TRUE(!isshortmode(second) || first != ALL_LONG);
            }
}

TEST(Grouping, NewGroupWhereTheEnergyJumps) {
    codec c;
    c.nblock = 8;
    c.mdctbuf.assign(8, std::vector<double>(1024, 0.0));
    const double levels[8] = {0.1, 0.1, 0.12, 1.0, 0.9, 0.2, 0.2, 0.2};
    for (int b = 0; b < 8; b++) c.mdctbuf[b][3] = levels[b];
    const codec* chans[1] = {&c};
    int16_t flags[8];
    choosegroups(chans, 1, 128, 2, flags);
    const int16_t expected[8] = {1, 0, 0, 1, 0, 1, 0, 0};
    for (int b = 0; b < 8; b++) EXPECT_EQ(flags[b], expected[b]) << b;
    choosegroups(chans, 1, 128, 0, flags); // no flags travel: one group
    for (int b = 0; b < 8; b++) EXPECT_EQ(flags[b], b == 0 ? 1 : 0);
}

} // namespace
