#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/decoder/channelfixture.h"

namespace {

// A long-frame decoder in the default configuration (weights in the passes, pass CRCs),
// after a long frame, with 32 bands of 32 coefficients.
struct framefixture : longframefixture {
    framefixture() {
        dec.crcon = 1;
        dec.runmode = 2;
        dec.runparam = 1;
        dec.reconmode = 4;
        dec.nbandcoded = 1;
        dec.topbitplane = 1;
    }
    void decode(const payloadbuilder& built) {
        load(built);
        dec.decode_frame();
    }
};

// Plane 1: a run ending at once (1, remainder 0), coefficient 0 (+2) with the reference 2 (weight -2), a run
// to the end, the pass CRC; the zero words behind it decode as empty planes.
payloadbuilder oneweightedcoefficient(uint16_t crcdamage = 0) {
    payloadbuilder b;
    b.bits("1 0 1").field(2, 6, true).bits("00000").crcword(crcdamage).field(0, 32);
    return b;
}

} // namespace

TEST(FrameDecode, GoodFrameGetsItsGainAndClearsUncodedBands) {
    framefixture f;
    f.decode(oneweightedcoefficient());
    EXPECT_EQ(f.dec.blockmode, ALL_LONG);
    EXPECT_EQ(f.dec.lastblockmode, ALL_LONG);
    EXPECT_EQ(f.dec.crcerror, 0);
    EXPECT_EQ(f.dec.weight[0][0], -2);
    EXPECT_EQ(f.dec.mdcti[0][0], 2);
    EXPECT_EQ(f.dec.mdctbuf[0][0], (2 / 2147483647.0) * (262144.0 * std::pow(10.0, -6.0 / 20.0)));
    for (int32_t k = 32; k < 1024; ++k) ASSERT_EQ(f.dec.mdctbuf[0][k], 0.0);
}

TEST(FrameDecode, FailedTopPlaneCrcConcealsTheFrame) {
    framefixture f;
    f.decode(oneweightedcoefficient(0x8000));
    EXPECT_EQ(f.dec.crcerror, 1);
    EXPECT_EQ(f.dec.crcerrorpos, 0);
    EXPECT_EQ(f.dec.blockmode, CONCEALED_LONG);
    EXPECT_EQ(f.dec.lastblockmode, CONCEALED_LONG);
}

TEST(FrameDecode, TopPlane31ConcealsTheFrame) {
    framefixture f;
    f.dec.topbitplane = 31;
    f.decode(oneweightedcoefficient());
    EXPECT_EQ(f.dec.blockmode, CONCEALED_LONG);
}

TEST(FrameDecode, LostFrameReadsNothingAndIsConcealed) {
    framefixture f;
    f.dec.framelost = 1;
    f.dec.wordbuf = nullptr;
    f.dec.weightref[0] = 9;
    f.dec.decode_frame();
    EXPECT_EQ(f.dec.blockmode, CONCEALED_LONG);
    EXPECT_EQ(f.dec.weightref[0], 0); // the side information was still reset
}

TEST(FrameDecode, ScaledBudget) {
    framefixture f;
    f.dec.budgetmode = 1;
    f.dec.decodewords = 500;
    f.decode(oneweightedcoefficient());
    EXPECT_EQ(f.dec.decodewords, f.dec.payloadwords);
    EXPECT_EQ(f.dec.mdcti[0][0], 2);

    framefixture empty;
    empty.dec.budgetmode = 1;
    empty.dec.decodewords = 0;
    empty.decode(oneweightedcoefficient());
    EXPECT_EQ(empty.dec.blockmode, ALL_LONG); // a zero spectrum, not a concealed one
    EXPECT_EQ(empty.dec.mdcti[0][0], 0);

    framefixture half;
    half.dec.budgetmode = 1;
    half.dec.decodewords = 3;
    half.dec.ratescale = 0.4; // floor(1.2 + 0.5) = 1 word: the CRC word is cut
    half.decode(oneweightedcoefficient());
    EXPECT_EQ(half.dec.decodewords, 1);
    EXPECT_EQ(half.dec.mdcti[0][0], 0); // its weight was never confirmed
    EXPECT_EQ(half.dec.blockmode, ALL_LONG);
}

TEST(FrameDecode, HostileLengthsStayInsideTheFrameBuffer) {
    // A frame buffer with the payload behind a 5-word header and nothing after the
    // largest frame: a hostile payload length must not lead the reader out of it.
    framefixture f;
    const std::vector<uint16_t> words = oneweightedcoefficient().words(0);
    std::vector<uint16_t> framebuf(5 + maxpayloadwords + 1, 0);
    std::copy(words.begin(), words.end(), framebuf.begin() + 5);
    f.dec.wordbuf = framebuf.data() + 5;
    f.dec.payloadwords = 30000;
    f.dec.decode_frame();
    EXPECT_EQ(f.dec.mdcti[0][0], 2);

    f.dec.weightmode = 0;
    f.dec.sidecrcwords = 200; // covers words beyond the payload: damaged side information
    f.dec.payloadwords = 20;
    f.dec.lastblockmode = ALL_LONG;
    f.dec.decode_frame();
    EXPECT_EQ(f.dec.blockmode, CONCEALED_LONG);
}

TEST(FrameDecode, SideInformationCrc) {
    framefixture f;
    f.dec.weightmode = 0;
    f.dec.weightbits = 4;
    f.dec.crcon = 1;
    payloadbuilder b;
    b.field(1, 5).field(4, 6).field(8, 4); // top plane 1, reference 4, weight 8 (0 dB + ref)
    b.field(0, 1);                         // fill to the word boundary
    const std::vector<uint16_t> side = b.words(0);
    b.field(bitstream().crc16(side.data(), 1), 16);
    b.bits("1 0 1 00000  00000 0").field(0, 16); // plane 1: +2 at 0; plane 0: a run, refinement 0
    f.dec.sidecrcwords = 2;
    f.decode(b);
    EXPECT_EQ(f.dec.blockmode, ALL_LONG);
    EXPECT_EQ(f.dec.mdcti[0][0], 2);
    EXPECT_EQ(f.dec.mdctbuf[0][0], (2 / 2147483647.0) * (262144.0 * std::pow(10.0, -12.0 / 20.0)));

    framefixture damaged;
    damaged.dec.weightmode = 0;
    damaged.dec.sidecrcwords = 2;
    damaged.load(b);
    damaged.payload[0] ^= 0x0400;
    damaged.dec.decode_frame();
    EXPECT_EQ(damaged.dec.blockmode, CONCEALED_LONG);
}
