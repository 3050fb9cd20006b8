#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "codec/decoder/significance.h"
#include "tests/support/decoders.h"

namespace {

const std::vector<int32_t> twocoefs = {2};

void decodeworkedexample(jointfixture& f, int32_t budget) {
    f.joint.config.chaninterleave = 1;
    f.joint.config.reconmode = 1;
    f.joint.topbitplane = 1;
    f.load("01100 10011 1");
    f.joint.jpwc_dec({1, 2, 0, budget, 0, 1, 1, twocoefs.data(), 1});
}

// Groups [0,3) [3,5) [5,8) of 8 blocks.
const std::vector<int16_t> groupflags = {1, 0, 0, 1, 0, 1, 0, 0};
const int32_t groupstarts[] = {0, 3, 5, 8};

struct place {
    int32_t ch, block, coef;
    bool operator==(const place&) const = default;
};

// The scan list of the joint decoder, written out literally: the (block, coefficient)
// order of one channel by scan, its channels one after the other or interleaved.
std::vector<place> scanlist(int32_t interleave, int32_t scan, int32_t nblk, int32_t ncoef) {
    std::vector<place> order, list;
    if (scan == 0)
        for (int32_t b = 0; b < nblk; ++b)
            for (int32_t k = 0; k < ncoef; ++k) order.push_back({0, b, k});
    if (scan == 1)
        for (int32_t k = 0; k < ncoef; ++k)
            for (int32_t b = 0; b < nblk; ++b) order.push_back({0, b, k});
    if (scan == 2)
        for (int32_t g = 0; g < 3; ++g)
            for (int32_t k = 0; k < ncoef; ++k)
                for (int32_t b = groupstarts[g]; b < groupstarts[g + 1]; ++b) order.push_back({0, b, k});
    for (int32_t outer = 0; outer < (interleave ? 1 : 2); ++outer)
        for (const place& p : order)
            for (int32_t ch = 0; ch < (interleave ? 2 : 1); ++ch)
                list.push_back({outer + ch, p.block, p.coef});
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
    jointfixture cut; // after five bits
    decodeworkedexample(cut, 5);
    EXPECT_EQ(cut.coefs(0, 0, 2), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(cut.coefs(1, 0, 2), (std::vector<int32_t>{3, 0}));
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
