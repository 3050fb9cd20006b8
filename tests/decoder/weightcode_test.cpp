#include <gtest/gtest.h>

#include "codec/decoder/fieldreader.h"
#include "codec/decoder/payload.h"
#include "codec/decoder/weightcode.h"
#include "tests/decoder/payloadbuilder.h"

namespace {

struct codereader {
    std::vector<uint16_t> words;
    bitstream reader;
    explicit codereader(const payloadbuilder& built) : words(built.words(1)) {
        reader.wordbuf = words.data();
        startpayload(reader, static_cast<int16_t>(words.size() - 1));
    }
    weightcoderesult read(int32_t& budget, const weightcodeparams& p, cutfield cut = cutfield::zerobudget) {
        return readweightcode([this](int32_t n) { return readfield(reader, n); }, budget, p, cut);
    }
};

} // namespace

TEST(WeightCode, ExamplesWithParameterTwo) {
    const weightcodeparams p{2, 0, 0, 4, 16};
    codereader r(payloadbuilder().bits("1 10  0 1 11"));
    int32_t budget = 100;
    weightcoderesult first = r.read(budget, p);
    EXPECT_TRUE(first.complete);
    EXPECT_EQ(first.number, 2);
    EXPECT_EQ(mapweightcode(first.number, 0, 4), 1);
    weightcoderesult second = r.read(budget, p);
    EXPECT_EQ(second.number, 7);
    EXPECT_EQ(mapweightcode(second.number, 0, 4), -4);
    EXPECT_EQ(budget, 93);
}

TEST(WeightCode, SignMappings) {
    const int32_t mode0[] = {0, -1, 1, -2, 2};
    const int32_t mode1[] = {0, 1, -1, 2, -2};
    for (int32_t n = 0; n < 5; ++n) {
        EXPECT_EQ(mapweightcode(n, 0, 4), mode0[n]);
        EXPECT_EQ(mapweightcode(n, 1, 4), mode1[n]);
    }
    // wsignmode 2 with 4 weight bits (H = 8).
    EXPECT_EQ(mapweightcode(0, 2, 4), 0);
    EXPECT_EQ(mapweightcode(1, 2, 4), -1);
    for (int32_t n = 2; n <= 8; ++n) EXPECT_EQ(mapweightcode(n, 2, 4), n - 1);
    EXPECT_EQ(mapweightcode(9, 2, 4), -2);
    EXPECT_EQ(mapweightcode(10, 2, 4), -3);
}

TEST(WeightCode, GrowingStepWidensTheSuffix) {
    // k = 1, wstepmode 1: two zeros add 2 + 4, the suffix then has 3 bits.
    codereader r(payloadbuilder().bits("0 0 1 101"));
    int32_t budget = 100;
    const weightcoderesult code = r.read(budget, {1, 1, 0, 4, 16});
    EXPECT_TRUE(code.complete);
    EXPECT_EQ(code.number, 6 + 5);
    EXPECT_EQ(budget, 94);
}

TEST(WeightCode, AccumulatorWrapsAtItsWidth) {
    // k = 15: two zeros add 2^16, which is 0 in 16 bits and 65536 in 32.
    const payloadbuilder built = payloadbuilder().bits("0 0 1").field(3, 15);
    int32_t budget = 100;
    EXPECT_EQ(codereader(built).read(budget, {15, 0, 0, 4, 16}).number, 3);
    budget = 100;
    EXPECT_EQ(codereader(built).read(budget, {15, 0, 0, 4, 32}).number, 65539);
}

TEST(WeightCode, CutSuffixZeroesOrDrainsTheBudget) {
    const payloadbuilder built = payloadbuilder().bits("0 1 10");
    int32_t budget = 3;
    codereader zeroing(built);
    weightcoderesult code = zeroing.read(budget, {2, 0, 0, 4, 16}, cutfield::zerobudget);
    EXPECT_FALSE(code.complete);
    EXPECT_EQ(code.number, 4); // the prefix part stays
    EXPECT_EQ(budget, 0);
    EXPECT_EQ(zeroing.reader.bitpos, 2);

    budget = 3;
    codereader draining(built);
    code = draining.read(budget, {2, 0, 0, 4, 32}, cutfield::drainbits);
    EXPECT_FALSE(code.complete);
    EXPECT_EQ(budget, 0);
    EXPECT_EQ(draining.reader.bitpos, 3); // the one bit left was read and dropped
}

TEST(WeightCode, PrefixStopsAtAnExhaustedBudget) {
    codereader r(payloadbuilder().bits("0000 0000"));
    int32_t budget = 3;
    const weightcoderesult code = r.read(budget, {2, 0, 0, 4, 16});
    EXPECT_FALSE(code.complete);
    EXPECT_EQ(code.number, 8); // two zeros counted; the third bit ended the budget
    EXPECT_EQ(budget, 0);
    budget = -4; // a negative budget is exhausted: only the first bit is read
    codereader s(payloadbuilder().bits("0000 0000"));
    s.read(budget, {2, 0, 0, 4, 16});
    EXPECT_EQ(budget, -5);
    EXPECT_EQ(s.reader.bitpos, 1);
}
