// Error-pattern files: reading, writing, refusing what is not G.192, and applying a
// hand-built pattern bit by bit and frame by frame.
#include <bit>

#include "base/random.h"
#include "driverfixture.h"
#include "engine/io/g192.h"

namespace {

class patterntest : public drivertest {
  protected:
    // Writes words as the pattern file and prepares the document's channel with it.
    std::string usepattern(const std::vector<uint16_t>& words) {
        writewordsfile(path("p.g192"), words);
        doc.errormodel = errormodel_pattern;
        doc.patternpath = path("p.g192");
        return doc.errors.prepare(doc);
    }
    std::string refusal(const std::vector<uint8_t>& bytes) {
        writebytes(path("bad.g192"), bytes);
        std::string error;
        EXPECT_FALSE(readpattern(path("bad.g192"), error).has_value());
        return error;
    }
};

constexpr uint16_t keep = g192_softzero;
constexpr uint16_t flip = g192_softone;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(patterntest, RoundTripOfBothKinds) {
    errorpattern bits{errorpattern::bits, {0, 1, 1, 0, 0, 0, 1}};
    ASSERT_TRUE(writepattern(path("b.g192"), bits));
    EXPECT_EQ(readwordsfile(path("b.g192")),
              (std::vector<uint16_t>{keep, flip, flip, keep, keep, keep, flip}));
    std::string error;
    const auto back = readpattern(path("b.g192"), error);
    ASSERT_TRUE(back.has_value()) << error;
    EXPECT_EQ(back->kind, errorpattern::bits);
    EXPECT_EQ(back->marks, bits.marks);

    errorpattern frames{errorpattern::frames, {1, 0, 0}};
    ASSERT_TRUE(writepattern(path("f.g192"), frames));
    EXPECT_EQ(readwordsfile(path("f.g192")), (std::vector<uint16_t>{0x6B20, 0x6B21, 0x6B21}));
    const auto framesback = readpattern(path("f.g192"), error);
    ASSERT_TRUE(framesback.has_value()) << error;
    EXPECT_EQ(framesback->kind, errorpattern::frames);
    EXPECT_EQ(framesback->marks, frames.marks);
    // Little-endian on every host: 0x6B20 is stored 20 6B.
    EXPECT_EQ(readbytes(path("f.g192"))[0], 0x20);
}

TEST_F(patterntest, RefusesWhatIsNotG192) {
    EXPECT_TRUE(contains(refusal({}), "empty"));
    EXPECT_TRUE(contains(refusal({0x7F, 0x00, 0x81}), "half a 16-bit word"));
    EXPECT_TRUE(contains(refusal({0x7F, 0x00, 0x80, 0x00}), "word 1 is 0x0080"));
    // A WAV file is no pattern.
    EXPECT_TRUE(contains(refusal({'R', 'I', 'F', 'F', 0, 0, 0, 0}), "not in G.192 format"));
    // One kind or the other, never a mix.
    EXPECT_TRUE(contains(refusal({0x21, 0x6B, 0x7F, 0x00}), "not both"));
    EXPECT_TRUE(contains(refusal({0x81, 0x00, 0x20, 0x6B}), "not both"));
    std::string error;
    EXPECT_FALSE(readpattern(path("missing.g192"), error).has_value());
    EXPECT_TRUE(contains(error, "cannot read error pattern file"));
}

TEST_F(patterntest, BitPatternFlipsExactlyTheMarkedBitsMostSignificantFirst) {
    // 20 marks: bits 0 and 3 of the first word's travel order (0x8000, 0x1000), the
    // word's last bit, and bit 1 of the next word; then the pattern starts again at
    // bit 4 of the second word.
    std::vector<uint16_t> marks(20, keep);
    marks[0] = marks[3] = marks[15] = marks[17] = flip;
    ASSERT_EQ(usepattern(marks), "");
    uint16_t words[3] = {0, 0xFFFF, 0};
    doc.inserterrors(words, 3, 1);
    EXPECT_EQ(words[0], 0x9001);
    // Second word: marks 16..19 then marks 0..11 again (0x8000 -> bit 11, 0x1000 -> bit 8).
    EXPECT_EQ(words[1], static_cast<uint16_t>(0xFFFF ^ 0x4000 ^ 0x0800 ^ 0x0100));
    // Third word: marks 12..19 then 0..7: marks 15, 17 and 0, 3.
    EXPECT_EQ(words[2], static_cast<uint16_t>(0x1000 | 0x0400 | 0x0080 | 0x0010));
    EXPECT_EQ(doc.nbiterrors, 10);
    EXPECT_EQ(doc.nbitsseen, 48);
    EXPECT_EQ(random_state(), 1u); // a pattern draws nothing
}

TEST_F(patterntest, FramePatternErasesExactlyTheMarkedFramesAndRepeats) {
    ASSERT_EQ(usepattern({0x6B21, 0x6B20, 0x6B20, 0x6B21, 0x6B20}), "");
    std::vector<int> erased;
    for (int f = 0; f < 12; f++)
        if (doc.eraseframe(f)) erased.push_back(f);
    EXPECT_EQ(erased, (std::vector<int>{1, 2, 4, 6, 7, 9, 11}));
    EXPECT_EQ(doc.stats.frameserased, 7);
    // A frame pattern leaves the bits alone.
    uint16_t word = 0x1234;
    doc.inserterrors(&word, 1, 1);
    EXPECT_EQ(word, 0x1234);
}

TEST_F(patterntest, PrepareStartsAfresh) {
    ASSERT_EQ(usepattern({flip, keep, keep}), "");
    uint16_t word = 0;
    doc.inserterrors(&word, 1, 1);
    ASSERT_EQ(doc.errors.prepare(doc), "");
    uint16_t again = 0;
    doc.inserterrors(&again, 1, 1);
    EXPECT_EQ(word, again);
    EXPECT_EQ(word, 0x9249); // marks 0, 3, 6, 9, 12, 15
}
