#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/message.h"
#include "codec/decoder/significance.h"
#include "tests/decoder/channelfixture.h"

namespace {

const std::vector<int32_t> fourcoefs = {4};

std::vector<int32_t> block0(const channelfixture& f, int32_t n) {
    return std::vector<int32_t>(f.dec.mdcti[0].begin(), f.dec.mdcti[0].begin() + n);
}

// The worked example: one block of 4, scan 0, run mode 0, top plane 2.
void decodeworkedexample(channelfixture& f, int32_t budget) {
    f.load(payloadbuilder().bits("00110 1000 1 110 10"));
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

TEST(Significance, TopPlaneZeroReadsNothing) {
    channelfixture g;
    g.load(payloadbuilder().bits("1111"));
    g.dec.topbitplane = 0;
    g.dec.pwcsig_decode(1, 4, 0, 4, 0, 1, 1, fourcoefs.data(), 2);
    EXPECT_EQ(block0(g, 4), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(g.dec.bitpos, 0);
}

TEST(Significance, TopPlane31IsTreatedAsAFailedTopPlane) {
    channelfixture f;
    f.load(payloadbuilder().bits("1111 1111"));
    f.dec.topbitplane = 31;
    f.dec.pwcsig_decode(1, 4, 0, 8, 0, 1, 1, fourcoefs.data(), 2);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(f.dec.crcerror, 1);
    EXPECT_EQ(f.dec.crcerrorpos, 0);
}

TEST(Significance, NegativeBudgetIsExhausted) {
    channelfixture f;
    f.load(payloadbuilder().bits("11 11 11"));
    f.dec.topbitplane = 1;
    f.dec.pwcsig_decode(1, 4, 0, -3, 0, 1, 1, fourcoefs.data(), 2);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(f.dec.nsig, 0);
}

// Short-block frames: every position of each scan order lands on the coefficient that a
// literal enumeration of the scan list names.
TEST(Significance, EachScanOrderPlacesEveryPosition) {
    const int32_t nblk = 8, ncoef = 3;
    const std::vector<int16_t> flags = {1, 0, 0, 1, 0, 1, 0, 0}; // groups [0,3) [3,5) [5,8)
    const std::vector<int32_t> sizes = {1, 2};
    for (int32_t scan = 0; scan < 3; ++scan) {
        std::vector<std::pair<int32_t, int32_t>> list; // (block, coefficient) in coding order
        if (scan == 0)
            for (int32_t b = 0; b < nblk; ++b)
                for (int32_t i = 0; i < ncoef; ++i) list.emplace_back(b, i);
        if (scan == 1)
            for (int32_t i = 0; i < ncoef; ++i)
                for (int32_t b = 0; b < nblk; ++b) list.emplace_back(b, i);
        if (scan == 2)
            for (int32_t s : {0, 3, 5}) {
                const int32_t e = s == 0 ? 3 : s == 3 ? 5 : 8;
                for (int32_t i = 0; i < ncoef; ++i)
                    for (int32_t b = s; b < e; ++b) list.emplace_back(b, i);
            }
        for (int32_t p = 0; p < nblk * ncoef; ++p) {
            channelfixture f;
            for (int32_t b = 0; b < nblk; ++b) f.dec.scfres[b] = flags[b];
            // p zero bits, then the 1 and a positive sign; the budget ends there.
            f.load(payloadbuilder().bits(std::string(static_cast<size_t>(p), '0') + "11"));
            f.dec.topbitplane = 1;
            f.dec.pwcsig_decode(nblk, ncoef, scan, p + 2, 0, 1, 2, sizes.data(), 2);
            for (int32_t b = 0; b < nblk; ++b)
                for (int32_t i = 0; i < ncoef; ++i) {
                    const bool here = list[p] == std::make_pair(b, i);
                    ASSERT_EQ(f.coef(b, i), here ? 2 : 0) << "scan " << scan << " position " << p;
                }
        }
    }
}

TEST(Significance, RunModeOneSkipsFixedRuns) {
    channelfixture f;
    const std::vector<int32_t> sizes = {8};
    // A 0 skips 2^2 positions; after the 1 a 2-bit remainder skips 1 more: position 5.
    f.load(payloadbuilder().bits("0 1 01 1"));
    f.dec.topbitplane = 1;
    f.dec.pwcsig_decode(1, 8, 0, 5, 1, 2, 1, sizes.data(), 2);
    EXPECT_EQ(block0(f, 8), (std::vector<int32_t>{0, 0, 0, 0, 0, 2, 0, 0}));
}

TEST(Significance, RunModeTwoAdaptsItsParameter) {
    channelfixture f;
    const std::vector<int32_t> sizes = {16};
    // k = 1: 0 skips 2 (k 2), 0 skips 4 (k 3), 1 + 3-bit remainder 2: position 8, sign -, k 2;
    // 1 + 2-bit remainder 0: position 9, sign +, k 1; 1 + 1-bit remainder 1: position 11, sign -.
    f.load(payloadbuilder().bits("0 0 1 010 0  1 00 1  1 1 0"));
    f.dec.topbitplane = 1;
    f.dec.pwcsig_decode(1, 16, 0, 14, 2, 1, 1, sizes.data(), 2);
    std::vector<int32_t> expected(16, 0);
    expected[8] = -2;
    expected[9] = 2;
    expected[11] = -2;
    EXPECT_EQ(block0(f, 16), expected);
}

TEST(Significance, RunParameterStartsAgainInEveryPlane) {
    channelfixture f;
    const std::vector<int32_t> sizes = {8};
    // Plane 1: 0 skips 2 (k 2), 0 skips 4 (k 3), 0 skips 8: past the end, nothing found.
    // Plane 0 starts with k = 1 again: 0 skips 2, then 1 + 2-bit remainder 1: position 3.
    f.load(payloadbuilder().bits("000  0 1 01 1"));
    f.dec.topbitplane = 1;
    f.dec.pwcsig_decode(1, 8, 0, 9, 2, 1, 1, sizes.data(), 2);
    EXPECT_EQ(block0(f, 8), (std::vector<int32_t>{0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST(Significance, RefinementFirstReadsRefinementBeforeTheSignificancePass) {
    const std::vector<int32_t> sizes = {2};
    for (int32_t first : {0, 1}) {
        channelfixture f;
        f.dec.refinefirst = first;
        f.load(payloadbuilder().bits("11 0  1 10"));
        f.dec.topbitplane = 1;
        f.dec.pwcsig_decode(1, 2, 0, 6, 0, 1, 1, sizes.data(), 2);
        // refinefirst 1: plane 0 refines position 0 with 1 (3), then finds position 1 (-1).
        // refinefirst 0: plane 0 finds position 1 (+1), then refines position 0 with 0.
        EXPECT_EQ(block0(f, 2), first ? (std::vector<int32_t>{3, -1}) : (std::vector<int32_t>{2, 1}));
    }
}

TEST(Significance, RunPastTheEndDropsThePlaneAndStops) {
    channelfixture f;
    const std::vector<int32_t> sizes = {4};
    // Plane 1: position 0 (+2), then a 0 skips past the end. Plane 0: position 1 (+1),
    // then a remainder that leaves the list; the refinement bit after it is never read.
    f.load(payloadbuilder().bits("1 00 1 0  1 00 1  1 11  1"));
    f.dec.topbitplane = 1;
    f.dec.pwcsig_decode(1, 4, 0, 14, 1, 2, 1, sizes.data(), 2);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{2, 0, 0, 0}));
    EXPECT_EQ(f.dec.nsig, 1);
}

TEST(Significance, BudgetEndingAfterARunBitCreatesNoCoefficient) {
    channelfixture f;
    f.load(payloadbuilder().bits("01 1"));
    f.dec.topbitplane = 1;
    f.dec.pwcsig_decode(1, 4, 0, 2, 0, 1, 1, fourcoefs.data(), 2);
    EXPECT_EQ(f.dec.nsig, 0);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(Significance, ReconstructionOffsetsByMode) {
    // One coefficient found at plane 3 and never refined: floor(8 * 0.4 + 0.5) = 3 in
    // reconmode 4; 2^2 = 4 in reconmode 1; band 0 in reconmode 3: floor(8 * 0.44 + 0.5) = 4.
    const std::vector<int32_t> sizes = {4};
    const int32_t expected[] = {-8, -12, -11, -12, -11};
    for (int32_t mode = 0; mode <= 4; ++mode) {
        channelfixture f;
        f.dec.reconmode = mode;
        f.load(payloadbuilder().bits("1 0"));
        f.dec.topbitplane = 3;
        f.dec.pwcsig_decode(1, 4, 0, 2, 0, 1, 1, sizes.data(), 2);
        EXPECT_EQ(f.coef(0, 0), expected[mode]) << "reconmode " << mode;
    }
}

namespace {

// A long frame of 4 coded coefficients in two bands of 2, weights in the passes.
struct weightfixture : channelfixture {
    const std::vector<int32_t> sizes = {2, 2};
    weightfixture() {
        dec.weighton = 1;
        dec.weightmode = 2;
        dec.weightrefbits = 6;
        dec.wpredmode = 1;
        dec.topbitplane = 1;
    }
    void decode(const payloadbuilder& built, int32_t budget) {
        load(built);
        dec.pwcsig_decode_crc(1, 4, 0, budget, 0, 1, 2, sizes.data(), 1);
    }
};

// Plane 1: position 0 (+2) brings the reference 5 (weight -5), then the run ends the list.
payloadbuilder planeonewithreference() {
    payloadbuilder b;
    b.bits("1 1").field(5, 6, true).bits("000").crcword();
    return b;
}

} // namespace

TEST(SignificanceWeights, PassCrcConfirmsReferenceAndCodes) {
    weightfixture f;
    // Plane 1 as above but position 2 follows with the code 1 1 (n 1, d -1): weight -6.
    payloadbuilder b;
    b.bits("1 1").field(5, 6, true).bits("01 1").bits("11", true).bits("0").crcword();
    f.decode(b, b.size());
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{2, 0, 2, 0}));
    EXPECT_EQ(f.dec.weight[0][0], -5);
    EXPECT_EQ(f.dec.weight[0][1], -6);
    EXPECT_EQ(f.dec.dweight[0][1], -1);
    EXPECT_EQ(f.dec.weightref[0], -6); // wpredmode 1: the last weight
    EXPECT_EQ(f.dec.weightflag[0][0], 2);
    EXPECT_EQ(f.dec.weightflag[0][1], 2);
    EXPECT_EQ(f.dec.crcerror, 0);
}

TEST(SignificanceWeights, FailedPassCrcStopsAndClearsUnconfirmedBands) {
    weightfixture f;
    payloadbuilder b = planeonewithreference();
    // Plane 0: position 2 (-1) with the code 1 1, a damaged CRC word, then a refinement
    // bit for position 0 that must not be read.
    b.bits("01 0").bits("11", true).bits("0").crcword(0x0001).bits("1");
    f.decode(b, b.size());
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{2, 0, 0, 0}));
    EXPECT_EQ(f.dec.crcerror, 1);
    EXPECT_EQ(f.dec.crcerrorpos, 1);
    EXPECT_EQ(f.dec.weightflag[0][0], 2);
    EXPECT_EQ(f.dec.weightflag[0][1], 1);
}

TEST(SignificanceWeights, PlaneWithoutWeightsNeedsAZeroCrcWord) {
    weightfixture f;
    payloadbuilder b = planeonewithreference();
    b.bits("1 1  00").crcword(); // plane 0: position 1 (+1), nothing protected: word 0
    b.bits("0");                 // refinement of position 0
    f.decode(b, b.size());
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{2, 1, 0, 0}));
    EXPECT_EQ(f.dec.crcerror, 0);
}

TEST(SignificanceWeights, MissingCrcWordIsNoFailureButErasesTheBand) {
    weightfixture f;
    payloadbuilder b;
    b.bits("1 1").field(5, 6, true).bits("000");
    // The budget ends before the CRC word: taken as 0, so the weight is not confirmed
    // (its CRC is not 0) and its band is cleared; the single-channel syntax records no
    // failure for a word it could not read.
    f.decode(b, b.size());
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(f.dec.crcerror, 0);
    EXPECT_EQ(f.dec.weightflag[0][0], 1);
}

TEST(SignificanceWeights, ReferenceCutByTheBudgetZeroesIt) {
    weightfixture f;
    payloadbuilder b;
    b.bits("1 1").field(5, 6, true).crcword();
    f.decode(b, 5); // three bits of the reference
    EXPECT_EQ(f.dec.weightflag[0][0], 0);
    EXPECT_EQ(f.dec.weightref[0], 0);
    EXPECT_EQ(f.dec.bitpos, 2); // nothing after the sign was read
}

TEST(SignificanceWeights, CrcLevelThreeProtectsRunsAndSigns) {
    weightfixture f;
    f.dec.crclevel = 3;
    payloadbuilder b;
    b.bits("1 1", true).field(5, 6, true).bits("000", true).crcword();
    f.decode(b, b.size());
    EXPECT_EQ(f.dec.crcerror, 0);
    EXPECT_EQ(f.dec.weightflag[0][0], 2);
}

TEST(SignificanceWeights, PlainVariantKeepsWeightsUnconfirmed) {
    weightfixture f;
    payloadbuilder b;
    b.bits("1 1").field(5, 6).bits("000");
    f.load(b);
    f.dec.pwcsig_decode(1, 4, 0, b.size(), 0, 1, 2, f.sizes.data(), 1);
    EXPECT_EQ(block0(f, 4), (std::vector<int32_t>{2, 0, 0, 0}));
    EXPECT_EQ(f.dec.weightflag[0][0], 1);
    EXPECT_EQ(f.dec.weight[0][0], -5);
}

TEST(SignificanceWeights, CrcOverflowMessageNamesTheDecoder) {
    std::vector<std::string> shown;
    const messagehandler previous = setmessagehandler([&](const std::string& t) { shown.push_back(t); });
    weightfixture f;
    f.dec.crclevel = 3;
    payloadbuilder b;
    b.bits("1 1", true).field(5, 6, true).bits("000", true).crcword();
    f.load(b);
    f.dec.payloadwords = 0; // claims fewer words than one pass collects
    f.dec.pwcsig_decode_crc(1, 4, 0, b.size(), 0, 1, 2, f.sizes.data(), 1);
    setmessagehandler(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "zatdec::pwcsig_decode_crc() - crc packing overflow");
}
