#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/message.h"
#include "codec/decoder/significance.h"
#include "tests/support/decoders.h"

namespace {

const std::vector<int32_t> fourcoefs = {4};

std::vector<int32_t> block0(const channelfixture& f, int32_t n) {
    return std::vector<int32_t>(f.dec.mdcti[0].begin(), f.dec.mdcti[0].begin() + n);
}

// The worked example: one block of 4, scan 0, run mode 0, top plane 2.
void decodeworkedexample(channelfixture& f, int32_t budget) {
    f.load("00110 1000 1 110 10");
    f.dec.topbitplane = 2;
    f.dec.pwcsig_decode(1, 4, 0, budget, 0, 1, 1, fourcoefs.data(), 2);
}

} // namespace

TEST(Significance, WorkedExampleDecodesEveryPlane) {
    channelfixture f;
    f.dec.reconmode = 1;
    decodeworkedexample(f, 15);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{-2, 1, 7, 0}));
    EXPECT_EQ(f.dec.nsig, 3);
    EXPECT_EQ(f.dec.crcerror, 0);
    EXPECT_EQ(f.dec.crcerrorpos, 100);
}

TEST(Significance, WorkedExampleCutAfterTenBitsGetsOffsets) {
    for (int32_t mode : {1, 4}) {
        channelfixture f;
        f.dec.reconmode = mode;
        decodeworkedexample(f, 10);
        EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{-3, 0, 7, 0})) << "reconmode " << mode;
    }
    channelfixture plain;
    decodeworkedexample(plain, 10);
    EXPECT_EQ(block0(plain, 4), (std::vector<int32_t>{-2, 0, 6, 0}));
}

TEST(Significance, TopPlane31IsTreatedAsAFailedTopPlane) {
    channelfixture f;
    f.load("1111 1111");
    f.dec.topbitplane = 31;
    f.dec.pwcsig_decode(1, 4, 0, 8, 0, 1, 1, fourcoefs.data(), 2);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(f.dec.crcerror, 1);
    EXPECT_EQ(f.dec.crcerrorpos, 0);
}

TEST(Significance, ReconstructionOffsetsByMode) {
    // One coefficient found at plane 3 and never refined: floor(8 * 0.4 + 0.5) = 3 in
    // reconmode 4; 2^2 = 4 in reconmode 1; band 0 in reconmode 3: floor(8 * 0.44 + 0.5) = 4.
    const std::vector<int32_t> sizes = {4};
    const int32_t expected[] = {-8, -12, -11, -12, -11};
    for (int32_t mode = 0; mode <= 4; ++mode) {
        channelfixture f;
        f.dec.reconmode = mode;
        f.load("1 0");
        f.dec.topbitplane = 3;
        f.dec.pwcsig_decode(1, 4, 0, 2, 0, 1, 1, sizes.data(), 2);
        EXPECT_EQ(f.coef(0, 0), expected[mode]) << "reconmode " << mode;
    }
}
