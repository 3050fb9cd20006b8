#include <gtest/gtest.h>

#include <vector>

#include "codec/decoder/payload.h"
#include "tests/decoder/channelfixture.h"

namespace {

struct sideinfofixture : channelfixture {
    sideinfofixture() {
        dec.weighton = 1;
        dec.weightbits = 4;
        dec.weightrefbits = 6;
        dec.scfresmode = 2;
        dec.reset_sideinfo();
    }
    void read(const payloadbuilder& built, int32_t budget) {
        load(built);
        dec.bitsleft = static_cast<int16_t>(budget);
        dec.read_sideinfo();
    }
};

// Closes a side information at the word boundary with the CRC over everything before.
payloadbuilder withcrcword(payloadbuilder built) {
    const int32_t fill = (16 - built.size() % 16) % 16;
    built.field(0, fill);
    const std::vector<uint16_t> words = built.words(0);
    built.field(bitstream().crc16(words.data(), static_cast<uint32_t>(words.size())), 16);
    return built;
}

} // namespace

TEST(SideInfo, FixedLengthWeightsOfEveryGroupThenFillAndCrc) {
    sideinfofixture f;
    f.dec.blockmode = ALL_SHORT;
    f.dec.weightmode = 0;
    f.dec.nbandcoded = 2;
    f.dec.crcon = 1;
    payloadbuilder b;
    b.field(9, 5).bits("0001000");               // top plane, groups [0,4) and [4,8)
    b.field(10, 6).field(3, 4).field(12, 4);     // leader 0
    b.field(20, 6).field(1, 4).field(2, 4);      // leader 4
    const payloadbuilder built = withcrcword(b); // 40 bits, 8 fill bits, the CRC word
    f.read(built, 200);
    EXPECT_EQ(f.dec.topbitplane, 9);
    EXPECT_EQ(f.dec.scfres, (std::vector<int16_t>{1, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(f.dec.weightref[0], 10);
    EXPECT_EQ(f.dec.weight[0][0], 3);
    EXPECT_EQ(f.dec.weight[0][1], 12);
    EXPECT_EQ(f.dec.weight[0][2], -100);
    EXPECT_EQ(f.dec.weightref[4], 20);
    EXPECT_EQ(f.dec.weight[4][1], 2);
    EXPECT_EQ(f.dec.weight[1][0], -100); // not a leader
    EXPECT_EQ(f.dec.bitsleft, 200 - 64);
    EXPECT_EQ(f.dec.bitpos, 0);
    EXPECT_TRUE(sideinfointact(f.dec, 4, f.dec.payloadwords));
    f.payload[1] ^= 0x0100;
    EXPECT_FALSE(sideinfointact(f.dec, 4, f.dec.payloadwords));
}

TEST(SideInfo, WeightCodesSkipTheFirstBand) {
    sideinfofixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 1;
    f.dec.nbandcoded = 3;
    f.dec.wparamlong = 1;
    f.dec.crcon = 0;
    f.dec.scfres[3] = 1; // a long frame never reads or uses grouping flags
    f.read(payloadbuilder().field(4, 5).field(7, 6).bits("1 1  0 1 0"), 100);
    EXPECT_EQ(f.dec.topbitplane, 4);
    EXPECT_EQ(f.dec.weightref[0], 7);
    EXPECT_EQ(f.dec.weight[0][0], -100);
    EXPECT_EQ(f.dec.weight[0][1], -1);
    EXPECT_EQ(f.dec.weight[0][2], 1);
    EXPECT_EQ(f.dec.weightref[3], 0);
    EXPECT_EQ(f.dec.bitsleft, 100 - 16);
}

TEST(SideInfo, ShortBudgetClearsTheTopPlane) {
    sideinfofixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 0;
    f.dec.crcon = 0;
    f.dec.topbitplane = 12;
    f.read(payloadbuilder().field(31, 5), 4);
    EXPECT_EQ(f.dec.topbitplane, 0);
    EXPECT_EQ(f.dec.bitsleft, 0);
    EXPECT_EQ(f.dec.weightref[0], 0);
}

TEST(SideInfo, CodesAfterTheBudgetStillCostTheirFirstBit) {
    sideinfofixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 1;
    f.dec.nbandcoded = 4;
    f.dec.wparamlong = 1;
    f.dec.crcon = 0;
    // Band 1's first bit (0) ends the budget; bands 2 and 3 still read one bit each.
    f.read(payloadbuilder().field(4, 5).field(7, 6).bits("0 1 1"), 12);
    EXPECT_EQ(f.dec.weight[0][1], 0); // stored from the partial code number 0
    EXPECT_EQ(f.dec.weight[0][2], 0); // its 1 bit, then no room for the suffix
    EXPECT_EQ(f.dec.weight[0][3], 0);
    EXPECT_EQ(f.dec.bitsleft, 0); // the suffix rule zeroed it again
}

TEST(SideInfo, GroupingFlagsOnlyWithTheirMode) {
    for (int32_t mode : {0, 1}) {
        sideinfofixture f;
        f.dec.blockmode = SHORT_LONG;
        f.dec.weightmode = 0;
        f.dec.nbandcoded = 1;
        f.dec.crcon = 0;
        f.dec.scfresmode = mode;
        f.dec.scfres = {1, 0, 1, 0, 0, 0, 0, 0}; // handed in with the frame
        f.read(payloadbuilder().field(3, 5).bits("1000000").field(1, 6).field(5, 4), 100);
        if (mode == 0) {
            // No flags in the stream: the handed-in ones stand and the next bits are weights.
            EXPECT_EQ(f.dec.scfres, (std::vector<int16_t>{1, 0, 1, 0, 0, 0, 0, 0}));
            EXPECT_EQ(f.dec.weightref[0], 32);
        } else {
            EXPECT_EQ(f.dec.scfres, (std::vector<int16_t>{1, 1, 0, 0, 0, 0, 0, 0}));
            EXPECT_EQ(f.dec.weightref[0], 1);
            EXPECT_EQ(f.dec.weight[0][0], 5);
        }
    }
}

TEST(SideInfo, FillAndCrcWordIgnoreTheBudget) {
    sideinfofixture f;
    f.dec.blockmode = ALL_LONG;
    f.dec.weightmode = 0;
    f.dec.nbandcoded = 1;
    f.dec.crcon = 1;
    f.read(payloadbuilder().field(5, 5).field(0, 11).field(0xABCD, 16), 4);
    EXPECT_EQ(f.dec.topbitplane, 0);
    EXPECT_EQ(f.dec.bitsleft, -16); // the CRC word read on an empty budget
}
