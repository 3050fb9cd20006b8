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
                    const weightcoderesult r =
                        readweightcode(read, budget, {k, stepmode, signmode, 4, 16}, cutfield::zerobudget);
                    ASSERT_TRUE(r.complete);
                    EXPECT_EQ(mapweightcode(r.number, signmode, 4), d)
                        << "signmode " << signmode << " stepmode " << stepmode << " k " << k;
                    EXPECT_EQ(128 - budget, written);
                }
}

} // namespace
