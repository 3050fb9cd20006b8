#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/message.h"
#include "base/random.h"
#include "tests/joint/jointfixture.h"

TEST(JointState, AllocationKeepsTwoGroupRowsAndTheSignArrays) {
    jzatdec j;
    EXPECT_EQ(j.runparammin, 1);
    EXPECT_EQ(j.reconmode, 4);
    j.nchan = 1;
    ASSERT_EQ(j.jarrayalloc(1024, 64, 16, 32, 24), 0);
    EXPECT_EQ(j.maxcoef, 1024);
    EXPECT_EQ(j.nbandmax, 32);
    EXPECT_EQ(j.scfres[0], std::vector<int16_t>(16, 0));
    EXPECT_EQ(j.scfres[1], std::vector<int16_t>(16, 0));
    EXPECT_EQ(j.conceallongsign.size(), 1024u);
    EXPECT_EQ(j.concealshortsign.size(), 64u);
}

TEST(JointFrame, SumAndDifferenceBecomeLeftAndRight) {
    jointfixture f;
    f.channels[0].mdctbuf[0][5] = 1.0;
    f.channels[1].mdctbuf[0][5] = 0.0;
    f.channels[0].mdctbuf[0][6] = 0.5;
    f.channels[1].mdctbuf[0][6] = 0.25;
    f.joint.sumdifference();
    EXPECT_EQ(f.channels[0].mdctbuf[0][5], 1 / std::sqrt(2.0));
    EXPECT_EQ(f.channels[1].mdctbuf[0][5], 1 / std::sqrt(2.0));
    EXPECT_EQ(f.channels[0].mdctbuf[0][6], 0.75 / std::sqrt(2.0));
    EXPECT_EQ(f.channels[1].mdctbuf[0][6], 0.25 / std::sqrt(2.0));
}

TEST(JointFrame, StereoFrameIsConvertedAndMonoIsNot) {
    // Long frame, top plane 1, channel 0 coefficient 0 = +2 (the rest of the planes zeros).
    for (int16_t nchan : {1, 2}) {
        jointfixture f;
        f.joint.nchan = nchan;
        f.joint.weighton = 0;
        f.joint.weightmode = 2;
        f.joint.crcon = 0;
        f.joint.runmode = 0;
        f.joint.chaninterleave = 1;
        f.joint.topbitplane = 1;
        f.joint.nbandcoded = 1;
        f.load(payloadbuilder().bits("11").field(0, 80));
        f.joint.decode_frame();
        const double s = 2 / 2147483647.0;
        if (nchan == 2) {
            EXPECT_EQ(f.channels[0].mdctbuf[0][0], s / std::sqrt(2.0));
            EXPECT_EQ(f.channels[1].mdctbuf[0][0], s / std::sqrt(2.0));
        } else {
            EXPECT_EQ(f.channels[0].mdctbuf[0][0], s);
        }
        EXPECT_EQ(f.joint.blockmode, ALL_LONG);
    }
}

TEST(JointFrame, EveryFrameDrawsFreshConcealmentSigns) {
    jointfixture f;
    f.joint.framelost = 1;
    random_seed(1);
    f.joint.decode_frame();
    const uint32_t after = random_state();
    EXPECT_EQ(f.joint.blockmode, LOST_FRAME);

    random_seed(1);
    std::vector<int32_t> expected;
    for (int i = 0; i < 128 + 1024; ++i) expected.push_back(random_draw() / 32767.0 <= 0.5 ? -1 : 1);
    EXPECT_EQ(random_state(), after);
    EXPECT_EQ(f.joint.concealshortsign, std::vector<int32_t>(expected.begin(), expected.begin() + 128));
    EXPECT_EQ(f.joint.conceallongsign, std::vector<int32_t>(expected.begin() + 128, expected.end()));
}

TEST(JointFrame, ChannelOneGetsChannelZerosInBandWeights) {
    jointfixture f;
    f.passweights();
    payloadbuilder b;
    // Plane 1: channel 1 coefficient 0 (+2) with the reference 3, a zero run over the
    // remaining 62 positions, the CRC word; plane 0 in zeros.
    b.bits("0 11").field(3, 6, true).bits(std::string(62, '0')).crcword().field(0, 200);
    f.load(b);
    f.joint.decode_frame();
    EXPECT_EQ(f.joint.blockmode, ALL_LONG);
    EXPECT_EQ(f.channels[0].weight[0][0], -3);
    EXPECT_EQ(f.channels[1].weight[0][0], -3);
    EXPECT_EQ(f.channels[1].weightref[0], -3);
    EXPECT_EQ(f.channels[0].nbandcoded, 1);
    EXPECT_EQ(f.channels[1].nbandcoded, 1);
}

TEST(JointFrame, FailedFirstPlaneMarksTheFrameLost) {
    jointfixture f;
    f.passweights();
    payloadbuilder b;
    b.bits("0 11").field(3, 6, true).bits(std::string(62, '0')).crcword(0x0100).field(0, 200);
    f.load(b);
    f.joint.decode_frame();
    EXPECT_EQ(f.joint.blockmode, LOST_FRAME);
    EXPECT_EQ(f.joint.crcerrorpos, 0);

    jointfixture top;
    top.joint.topbitplane = 31;
    top.joint.weightmode = 2;
    top.joint.crcon = 0;
    top.load(payloadbuilder().field(0xFFFF, 16));
    top.joint.decode_frame();
    EXPECT_EQ(top.joint.blockmode, LOST_FRAME);
}

TEST(JointFrame, GroupFlagsOfChannelZeroHoldForBoth) {
    jointfixture f;
    f.joint.weighton = 1;
    f.joint.weightmode = 2;
    f.joint.crcon = 0;
    f.joint.blockmode = ALL_SHORT;
    f.joint.topbitplane = 0;
    f.joint.scfres[0] = {0, 0, 1, 0, 0, 0, 0, 0}; // scfresmode 0 left block 0 unflagged
    f.joint.scfres[1] = {0, 1, 1, 1, 1, 1, 1, 1}; // not transmitted under joint coding
    f.load(payloadbuilder().field(0, 16));
    f.joint.decode_frame();
    const std::vector<int16_t> expected = {1, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(f.joint.scfres[1], expected);
    EXPECT_EQ(f.channels[0].scfres, expected);
    EXPECT_EQ(f.channels[1].scfres, expected);
}

TEST(JointFrame, SideInformationIsCopiedToChannelOneInEveryStereoFrame) {
    jointfixture f;
    f.joint.weighton = 1;
    f.joint.weightmode = 0;
    f.joint.crcon = 1;
    f.joint.weightbits = 4;
    f.joint.weightrefbits = 6;
    f.joint.nbandcoded = 2;
    f.joint.blockmode = ALL_SHORT;
    f.joint.scfresmode = 2;
    payloadbuilder b;
    b.field(0, 5).bits("0000100"); // top plane 0; groups [0,5) [5,8)
    b.field(7, 6).field(9, 4).field(10, 4).field(2, 6).field(1, 4).field(3, 4).field(0, 8);
    const std::vector<uint16_t> side = b.words(0);
    b.field(bitstream().crc16(side.data(), 3), 16);
    f.joint.sidecrcwords = 4;
    f.load(b);
    f.joint.decode_frame();
    EXPECT_EQ(f.joint.blockmode, ALL_SHORT);
    EXPECT_EQ(f.channels[0].weightref[5], 2);
    EXPECT_EQ(f.channels[1].scfres, f.channels[0].scfres);
    EXPECT_EQ(f.channels[1].weightref, f.channels[0].weightref);
    EXPECT_EQ(f.channels[1].weight, f.channels[0].weight);
    EXPECT_EQ(f.channels[1].weight[0][1], 10);
}

TEST(JointFrame, HandOverAndOutputOfBothChannels) {
    jointfixture f;
    f.passweights();
    for (zatdec& c : f.channels) c.lastblockmode = ALL_LONG;
    for (int frame = 0; frame < 2; ++frame) {
        f.joint.blockmode = ALL_LONG;
        f.joint.topbitplane = 1; // the side information of the frame header
        payloadbuilder b;
        b.bits("11").field(0, 6, true).bits(std::string(63, '0')).crcword().field(0, 200);
        f.load(b);
        f.joint.decode_frame();
        for (int ch = 0; ch < 2; ++ch) {
            f.joint.handover(f.channels[ch]);
            f.channels[ch].output_frame();
        }
    }
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_EQ(f.channels[ch].signmode, 1);
        EXPECT_EQ(f.channels[ch].conceallongsign, f.joint.conceallongsign.data());
        EXPECT_EQ(f.channels[ch].lastblockmode, ALL_LONG);
        double energy = 0;
        for (double x : f.out[ch]) energy += x * x;
        EXPECT_GT(energy, 0.0) << "channel " << ch;
    }
}

TEST(JointFrame, HostilePayloadLengthStaysInsideTheFrameBuffer) {
    jointfixture f;
    f.passweights();
    payloadbuilder b;
    b.bits("0 11").field(3, 6, true).bits(std::string(62, '0')).crcword();
    const std::vector<uint16_t> words = b.words(0);
    std::vector<uint16_t> framebuf(5 + maxpayloadwords + 1, 0);
    std::copy(words.begin(), words.end(), framebuf.begin() + 5);
    f.joint.wordbuf = framebuf.data() + 5;
    f.joint.payloadwords = 32000;
    f.joint.decode_frame();
    EXPECT_EQ(f.channels[1].mdcti[0][0], 2);
}
