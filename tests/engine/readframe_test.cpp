#include "engine/readframe.h"

#include <cstdio>

#include "engine/io/wordio.h"
#include "enginefixture.h"

namespace {

// A walk over a file of words, without bit errors, as the scaler does it.
class readframetest : public drivertest {
  protected:
    framereader::search open(const std::vector<uint16_t>& stream) {
        writewordsfile(path("in.ztb"), stream);
        file = openfile(path("in.ztb"), "rb");
        reader =
            std::make_unique<framereader>(doc, file.get(), static_cast<int64_t>(stream.size()) * 2, false);
        return reader->syncsearch();
    }
    // Every frame outcome until the file ends, with the index of each good frame.
    std::vector<std::string> walk() {
        std::vector<std::string> seen;
        int64_t frameno = 0;
        while (reader->bytesleft >= 16) {
            const auto result = reader->next(frameno++);
            if (result == framereader::frame::failed) {
                seen.push_back("failed");
                break;
            }
            seen.push_back(result == framereader::frame::good
                               ? "good " + std::to_string(reader->header.frameindex)
                               : "lost");
        }
        return seen;
    }

    filehandle file;
    std::unique_ptr<framereader> reader;
};

using outcomes = std::vector<std::string>;

// A damaged header loses its frame alone and the walk finds the next: by the damaged
// length when only another field is hit, by the last good length when the length is.
TEST_F(readframetest, DamagedHeaderLosesOneFrame) {
    const struct {
        size_t word;
        uint16_t flip;
        int way; // index of doc.stats.resyncs
    } cases[] = {{2, 0x0100, 1}, {1, 0x0FF8, 2}};
    for (const auto& c : cases) {
        doc.stats = {};
        auto stream = packframes({}, 6);
        stream[3 * 20 + c.word] ^= c.flip;
        ASSERT_EQ(open(stream), framereader::search::found);
        EXPECT_EQ(walk(), (outcomes{"good 0", "good 1", "good 2", "lost", "good 4", "good 5"}));
        EXPECT_EQ(doc.stats.damagedheaders, 1);
        EXPECT_EQ(doc.stats.resyncs[c.way], 1) << "way " << c.way;
        EXPECT_EQ(doc.stats.wordsskipped, 20);
    }
}

TEST_F(readframetest, SlidingFindsIndexSevenAfterThreeAndSkipsTwoFrames) {
    // Frames 0..3, the damaged header of frame 4 with a length that is no length, three
    // words of rubbish, then frame 7: frames 5 and 6 never reached the file.
    std::vector<uint16_t> stream = packframes({}, 4);
    std::vector<uint16_t> damaged = packframe({4});
    damaged[1] &= 0xF007; // framewords 0
    stream.insert(stream.end(), damaged.begin(), damaged.begin() + 5);
    stream.insert(stream.end(), {0x1234, 0x5678, 0x9ABC});
    for (int16_t index : {7, 8}) {
        const auto frame = packframe({index});
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(walk(),
              (outcomes{"good 0", "good 1", "good 2", "good 3", "lost", "lost", "lost", "good 7", "good 8"}));
    EXPECT_EQ(doc.stats.resyncs[3], 1);
    EXPECT_EQ(doc.stats.wordsskipped, 8); // the damaged header and the rubbish
    EXPECT_EQ(doc.stats.framesskipped, 2);
    EXPECT_EQ(doc.stats.frameslost, 3);
}

TEST_F(readframetest, GarbageBeforeTheFirstHeaderIsSkippedWordByWord) {
    std::vector<uint16_t> stream = {0x0001, 0xDFFD, 0x1111, 0x2222, 0x3333, 0x4444, 0x5555};
    const auto frames = packframes({}, 3);
    stream.insert(stream.end(), frames.begin(), frames.end());
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(reader->bytesleft, 3 * 20 * 2); // the garbage is behind, counted as read
    EXPECT_EQ(reader->prevwords, 20);
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1", "good 2"}));
}

} // namespace
