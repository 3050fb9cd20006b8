#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "codec/decoder/significance.h"
#include "tests/joint/jointfixture.h"

namespace {

const std::vector<int32_t> twocoefs = {2};

void decodeworkedexample(jointfixture& f, int32_t budget) {
    f.joint.chaninterleave = 1;
    f.joint.reconmode = 1;
    f.joint.topbitplane = 1;
    f.load(payloadbuilder().bits("01100 10011 1"));
    f.joint.jpwc_dec(1, 2, 0, budget, 0, 1, 1, twocoefs.data(), 1);
}

// Groups [0,3) [3,5) [5,8) of 8 blocks.
const std::vector<int16_t> groupflags = {1, 0, 0, 1, 0, 1, 0, 0};
const int32_t groupstarts[] = {0, 3, 5, 8};

struct place {
    int32_t ch, block, coef;
    bool operator==(const place&) const = default;
};

// The scan list of the joint decoder, written out literally as its nested loops.
std::vector<place> scanlist(int32_t interleave, int32_t scan, int32_t nblk, int32_t ncoef) {
    std::vector<place> list;
    if (interleave == 0) {
        for (int32_t ch = 0; ch < 2; ++ch) {
            if (scan == 0)
                for (int32_t b = 0; b < nblk; ++b)
                    for (int32_t k = 0; k < ncoef; ++k) list.push_back({ch, b, k});
            if (scan == 1)
                for (int32_t k = 0; k < ncoef; ++k)
                    for (int32_t b = 0; b < nblk; ++b) list.push_back({ch, b, k});
            if (scan == 2)
                for (int32_t g = 0; g < 3; ++g)
                    for (int32_t k = 0; k < ncoef; ++k)
                        for (int32_t b = groupstarts[g]; b < groupstarts[g + 1]; ++b)
                            list.push_back({ch, b, k});
        }
    } else {
        if (scan == 0)
            for (int32_t b = 0; b < nblk; ++b)
                for (int32_t k = 0; k < ncoef; ++k)
                    for (int32_t ch = 0; ch < 2; ++ch) list.push_back({ch, b, k});
        if (scan == 1)
            for (int32_t k = 0; k < ncoef; ++k)
                for (int32_t b = 0; b < nblk; ++b)
                    for (int32_t ch = 0; ch < 2; ++ch) list.push_back({ch, b, k});
        if (scan == 2)
            for (int32_t g = 0; g < 3; ++g)
                for (int32_t k = 0; k < ncoef; ++k)
                    for (int32_t b = groupstarts[g]; b < groupstarts[g + 1]; ++b)
                        for (int32_t ch = 0; ch < 2; ++ch) list.push_back({ch, b, k});
    }
    return list;
}

int32_t leaderof(int32_t block) {
    return block >= 5 ? 5 : block >= 3 ? 3 : 0;
}

} // namespace

TEST(JointPasses, WorkedExample) {
    jointfixture f;
    decodeworkedexample(f, 11);
    EXPECT_EQ(f.coefs(0, 0, 2), (std::vector<int32_t>{-1, 0}));
    EXPECT_EQ(f.coefs(1, 0, 2), (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(f.joint.nsig, 3);
}

TEST(JointPasses, WorkedExampleCutAfterFiveBits) {
    jointfixture f;
    decodeworkedexample(f, 5);
    EXPECT_EQ(f.coefs(0, 0, 2), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(f.coefs(1, 0, 2), (std::vector<int32_t>{3, 0}));
}

TEST(JointPasses, LocateMatchesTheLiteralScanListForEveryOrder) {
    const int32_t nblk = 8, ncoef = 3;
    for (int32_t interleave : {0, 1})
        for (int32_t scan : {0, 1, 2}) {
            scanlayout layout;
            layout.nchan = 2;
            layout.chaninterleave = interleave;
            layout.nblk = nblk;
            layout.ncoef = ncoef;
            layout.scan = scan;
            layout.setgroups(groupflags);
            const std::vector<place> list = scanlist(interleave, scan, nblk, ncoef);
            ASSERT_EQ(static_cast<int32_t>(list.size()), layout.length());
            for (int32_t i = 0; i < layout.length(); ++i) {
                const coefplace at = locate(layout, i);
                ASSERT_EQ((place{at.ch, at.block, at.coef}), list[i])
                    << "interleave " << interleave << " scan " << scan << " position " << i;
                ASSERT_EQ(at.group, leaderof(at.block));
            }
        }
}

TEST(JointPasses, DecodingPlacesEveryPositionOfEveryOrder) {
    const int32_t nblk = 8, ncoef = 3;
    for (int32_t interleave : {0, 1})
        for (int32_t scan : {0, 1, 2}) {
            const std::vector<place> list = scanlist(interleave, scan, nblk, ncoef);
            for (int32_t i = 0; i < static_cast<int32_t>(list.size()); ++i) {
                jointfixture f;
                f.joint.blockmode = ALL_SHORT;
                f.joint.chaninterleave = interleave;
                f.joint.topbitplane = 1;
                f.channels[0].scfres = groupflags;
                f.load(payloadbuilder().bits(std::string(static_cast<size_t>(i), '0') + "10"));
                f.joint.jpwc_dec(nblk, ncoef, scan, i + 2, 0, 1, 1, f.channels[0].bndsize1.data(), 1);
                for (int32_t ch = 0; ch < 2; ++ch)
                    for (int32_t b = 0; b < nblk; ++b)
                        for (int32_t k = 0; k < ncoef; ++k)
                            ASSERT_EQ(f.channels[ch].mdcti[b][k], (list[i] == place{ch, b, k}) ? -2 : 0)
                                << "interleave " << interleave << " scan " << scan << " position " << i;
            }
        }
}

TEST(JointPasses, RunParameterStartsAgainAtChannelOne) {
    const std::vector<int32_t> eight = {8};
    // Channel after channel, 8 coefficients each, run mode 2 with k = 1. Channel 0:
    // 0 (skip 2, k 2), 0 (skip 4, k 3), 1 + 001: coefficient 7 (+2), k 2. The next
    // iteration starts at channel 1 with k = 1 again: 1 + 1: coefficient 1 (-2).
    jointfixture f;
    f.joint.chaninterleave = 0;
    f.joint.topbitplane = 1;
    f.load(payloadbuilder().bits("0 0 1 001 1  1 1 0"));
    f.joint.jpwc_dec(1, 8, 0, 10, 2, 1, 1, eight.data(), 1);
    EXPECT_EQ(f.coefs(0, 0, 8), (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(f.coefs(1, 0, 8), (std::vector<int32_t>{0, -2, 0, 0, 0, 0, 0, 0}));

    // A run that jumps over the boundary: 0 (2), 0 (4), 0 (8) reach channel 1 with k 4;
    // 1 + 0000: channel 1 coefficient 6 (+2), k 3. The restart comes at the next
    // iteration: 1 + 0: coefficient 7 (+2).
    jointfixture g;
    g.joint.chaninterleave = 0;
    g.joint.topbitplane = 1;
    g.load(payloadbuilder().bits("0001 0000 1  1 0 1"));
    g.joint.jpwc_dec(1, 8, 0, 12, 2, 1, 1, eight.data(), 1);
    EXPECT_EQ(g.coefs(1, 0, 8), (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 2, 2}));
}

namespace {

// Weights in the passes, shared, interleaved channels; a long frame with two bands of 2.
struct sharedweights : jointfixture {
    const std::vector<int32_t> sizes = {2, 2};
    sharedweights() {
        passweights();
        for (zatdec& c : channels) c.reset_sideinfo();
    }
};

// Plane 1: channel 1 coefficient 0 (+2) brings the reference 3, then a run to the end.
payloadbuilder channelonereference() {
    payloadbuilder b;
    b.bits("0 11").field(3, 6, true).bits("000000");
    return b;
}

} // namespace

TEST(JointWeights, SharedWeightsLandInChannelZeroAndAreFlaggedForBoth) {
    sharedweights f;
    payloadbuilder b = channelonereference();
    b.crcword();
    f.load(b);
    f.joint.jpwc_dec_crc(1, 4, 0, b.size(), 0, 1, 2, f.sizes.data(), 1);
    EXPECT_EQ(f.coefs(1, 0, 4), (std::vector<int32_t>{2, 0, 0, 0}));
    EXPECT_EQ(f.channels[0].weightref[0], -3);
    EXPECT_EQ(f.channels[0].weight[0][0], -3);
    EXPECT_EQ(f.channels[1].weight[0][0], -100);
    EXPECT_EQ(f.channels[0].weightflag[0][0], 2);
    EXPECT_EQ(f.channels[1].weightflag[0][0], 2);
    EXPECT_EQ(f.joint.crcerror, 0);
}

TEST(JointWeights, MissingCrcWordIsRecordedAsAFailure) {
    sharedweights f;
    const payloadbuilder b = channelonereference();
    f.load(b);
    f.joint.jpwc_dec_crc(1, 4, 0, b.size(), 0, 1, 2, f.sizes.data(), 1);
    EXPECT_EQ(f.joint.crcerror, 1);
    EXPECT_EQ(f.joint.crcerrorpos, 0);
    EXPECT_EQ(f.coefs(1, 0, 4), (std::vector<int32_t>{0, 0, 0, 0})); // the unconfirmed band
    EXPECT_EQ(f.channels[1].weightflag[0][0], 1);
}

TEST(JointWeights, CutReferenceIsReadBitByBitAndStoresNothing) {
    sharedweights f;
    f.load(channelonereference());
    f.joint.jpwc_dec_crc(1, 4, 0, 6, 0, 1, 2, f.sizes.data(), 1);
    EXPECT_EQ(f.joint.bitpos, 6); // the three bits left were read
    EXPECT_EQ(f.channels[0].weightflag[0][0], 0);
    EXPECT_EQ(f.channels[0].weightref[0], 0);
    // The three reference bits (000) entered the pass CRC, whose CRC is 0 like the
    // missing word: no failure.
    EXPECT_EQ(f.joint.crcerror, 0);
}

TEST(JointWeights, SeparateWeightsStayWithTheirChannel) {
    sharedweights f;
    f.joint.weightshare = 0;
    payloadbuilder b = channelonereference();
    b.crcword();
    f.load(b);
    f.joint.jpwc_dec_crc(1, 4, 0, b.size(), 0, 1, 2, f.sizes.data(), 1);
    EXPECT_EQ(f.channels[1].weight[0][0], -3);
    EXPECT_EQ(f.channels[0].weight[0][0], -100);
    EXPECT_EQ(f.channels[0].weightflag[0][0], 0);
    EXPECT_EQ(f.channels[1].weightflag[0][0], 2);
}
