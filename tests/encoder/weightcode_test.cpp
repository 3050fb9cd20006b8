// The encoder's weight codes and budgeted writer against the decoder's readers.
#include <gtest/gtest.h>

#include <vector>

#include "base/bitstream.h"
#include "codec/decoder/fieldreader.h"
#include "codec/decoder/weightcode.h"
#include "encoder/bitwriter.h"
#include "encoder/weightcode.h"

namespace {

struct wordreader {
    std::vector<uint16_t> words;
    bitstream reader;
    explicit wordreader(std::vector<uint16_t> w) : words(std::move(w)) {
        words.push_back(0); // the reader runs one word ahead
        reader.wordbuf = words.data();
        reader.resetbits();
        reader.primereader();
    }
    uint32_t operator()(int32_t n) { return readfield(reader, n); }
};

TEST(WeightCode, EveryDifferenceReadsBackThroughTheDecoder) {
    for (int32_t signmode = 0; signmode <= 2; signmode++)
        for (int32_t stepmode = 0; stepmode <= 1; stepmode++)
            for (int32_t k = 0; k <= 3; k++)
                for (int32_t d = -30; d <= 30; d++) {
                    const int16_t weightbits = 4;
                    if (signmode == 2 && d > 7) continue; // no code in wsignmode 2
                    std::vector<uint16_t> words(8);
                    bitwriter out;
                    out.start(words.data(), 8);
                    const weightcode code = makeweightcode(weightcodenumber(d, signmode, 8), k, stepmode);
                    out.zeros(code.zeros);
                    out.put(1, 1);
                    out.put(code.suffix, code.suffixbits);
                    out.finish();
                    const int32_t written = out.bitsused();
                    wordreader read(words);
                    int32_t budget = 128;
                    const weightcoderesult r = readweightcode(
                        read, budget, {k, stepmode, signmode, weightbits, 16}, cutfield::zerobudget);
                    ASSERT_TRUE(r.complete);
                    EXPECT_EQ(mapweightcode(r.number, signmode, weightbits), d)
                        << "signmode " << signmode << " stepmode " << stepmode << " k " << k;
                    EXPECT_EQ(128 - budget, written);
                }
}

TEST(WeightCode, WorkedExamples) {
    // k = 2, wstepmode 0, wsignmode 0: d = 1 is "1 10", d = -4 is "0 1 11".
    const weightcode one = makeweightcode(weightcodenumber(1, 0, 8), 2, 0);
    EXPECT_EQ(one.zeros, 0);
    EXPECT_EQ(one.suffix, 2u);
    const weightcode minusfour = makeweightcode(weightcodenumber(-4, 0, 8), 2, 0);
    EXPECT_EQ(minusfour.zeros, 1);
    EXPECT_EQ(minusfour.suffix, 3u);
    // wsignmode 2 with 4-bit weights: -2 and -3 are the numbers 9 and 10.
    EXPECT_EQ(weightcodenumber(-2, 2, 8), 9u);
    EXPECT_EQ(weightcodenumber(-3, 2, 8), 10u);
    // wstepmode 1, k = 1: numbers 0..1 take no zero, 2..5 one zero and a 2-bit suffix.
    const weightcode five = makeweightcode(5, 1, 1);
    EXPECT_EQ(five.zeros, 1);
    EXPECT_EQ(five.suffixbits, 2);
    EXPECT_EQ(five.suffix, 3u);
}

TEST(BitWriter, KeepsTheLeadingBitsOfAFieldCutByTheBudget) {
    std::vector<uint16_t> words(2, 0xFFFF);
    bitwriter out;
    out.start(words.data(), 1);
    EXPECT_EQ(words[0], 0); // cleared: unused bits are zero
    out.put(0x2AA, 10);     // 10 1010 1010
    out.put(0xF0F0, 16);    // only its top 6 bits fit: 111100
    EXPECT_TRUE(out.full());
    out.put(1, 1); // dropped
    out.finish();
    EXPECT_EQ(words[0], 0xAABC);
    EXPECT_EQ(words[1], 0xFFFF); // nothing written past the budget
    EXPECT_EQ(out.bitsused(), 16);
}

} // namespace
