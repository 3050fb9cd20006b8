#include "engine/readframe.h"

#include <cstdio>

#include "driverfixture.h"
#include "engine/io/wordio.h"

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

// Flips one bit of the frame's header inside the CRC-protected words but outside the
// length field.
void damageheader(std::vector<uint16_t>& stream, size_t offset) {
    stream[offset + 2] ^= 0x0100;
}

TEST_F(readframetest, CleanStreamGivesEveryFrame) {
    ASSERT_EQ(open(packframes({}, 18)), framereader::search::found);
    outcomes expected;
    for (int i = 0; i < 18; i++) expected.push_back("good " + std::to_string(i % 16));
    EXPECT_EQ(walk(), expected);
    EXPECT_EQ(doc.stats.frameslost, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(readframetest, DamagedHeaderWithRightLengthLosesExactlyOneFrame) {
    auto stream = packframes({}, 6);
    damageheader(stream, 3 * 20);
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1", "good 2", "lost", "good 4", "good 5"}));
    EXPECT_EQ(reader->skip, 0);
    EXPECT_EQ(doc.stats.damagedheaders, 1);
    EXPECT_EQ(doc.stats.resyncs[1], 1); // found by trusting the damaged length
    EXPECT_EQ(doc.stats.wordsskipped, 20);
}

TEST_F(readframetest, DamagedLengthFallsBackToTheLastGoodLength) {
    auto stream = packframes({}, 6);
    stream[3 * 20 + 1] ^= 0x0FF8; // the length field itself, so also the CRC fails
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1", "good 2", "lost", "good 4", "good 5"}));
    EXPECT_EQ(doc.stats.resyncs[2], 1);
}

TEST_F(readframetest, SlidingFindsIndexSevenAfterThreeAndSkipsTwoFrames) {
    // Frames 0..3, the damaged header of frame 4 with a length that is no length, three
    // words of rubbish, then frame 7: frames 5 and 6 never reached the file.
    framespec spec;
    std::vector<uint16_t> stream = packframes(spec, 4);
    std::vector<uint16_t> damaged = packframe({4});
    damaged[1] &= 0xF007; // framewords 0
    stream.insert(stream.end(), damaged.begin(), damaged.begin() + 5);
    stream.insert(stream.end(), {0x1234, 0x5678, 0x9ABC});
    spec.index = 7;
    for (int i = 0; i < 2; i++, spec.index++) {
        const auto frame = packframe(spec);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    ASSERT_EQ(open(stream), framereader::search::found);
    for (int i = 0; i < 4; i++) ASSERT_EQ(reader->next(i), framereader::frame::good);
    ASSERT_EQ(reader->lastindex, 3);
    EXPECT_EQ(reader->next(4), framereader::frame::lost);
    EXPECT_EQ(reader->skip, 2); // 7 - 2 - 3
    EXPECT_EQ(reader->lastindex, 4);
    EXPECT_EQ(reader->next(5), framereader::frame::lost);
    EXPECT_EQ(reader->next(6), framereader::frame::lost);
    EXPECT_EQ(reader->next(7), framereader::frame::good);
    EXPECT_EQ(reader->header.frameindex, 7);
    EXPECT_EQ(doc.stats.resyncs[3], 1);
    EXPECT_EQ(doc.stats.wordsskipped, 8); // the damaged header and the rubbish
    EXPECT_EQ(doc.stats.framesskipped, 2);
    EXPECT_EQ(doc.stats.frameslost, 3);
}

TEST_F(readframetest, SlidingOntoTheNextIndexWrapsToFifteen) {
    // The damaged frame was itself frame 4's predecessor's successor: finding index 4
    // right after lastindex 3 means 4 - 2 - 3 = -1, so 15 further frames are counted lost.
    std::vector<uint16_t> stream = packframes({}, 4);
    std::vector<uint16_t> damaged = packframe({4});
    damaged[1] &= 0xF007;
    stream.insert(stream.end(), damaged.begin(), damaged.begin() + 5);
    stream.push_back(0xFFFF);
    const auto next = packframe({4});
    stream.insert(stream.end(), next.begin(), next.end());
    ASSERT_EQ(open(stream), framereader::search::found);
    for (int i = 0; i < 4; i++) ASSERT_EQ(reader->next(i), framereader::frame::good);
    EXPECT_EQ(reader->next(4), framereader::frame::lost);
    EXPECT_EQ(reader->skip, 15);
    for (int i = 0; i < 15; i++) EXPECT_EQ(reader->next(5 + i), framereader::frame::lost);
    EXPECT_EQ(reader->next(20), framereader::frame::good);
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

TEST_F(readframetest, NoHeaderAtAll) {
    EXPECT_EQ(open(std::vector<uint16_t>(100, 0xDFFD)), framereader::search::notfound);
    // Shorter than two headers: nothing is tried.
    EXPECT_EQ(open({0xDFFD, 1, 2, 3}), framereader::search::notfound);
    EXPECT_TRUE(messages.empty());
}

TEST_F(readframetest, TruncatedLastFrameStopsWithIncompleteRead) {
    auto stream = packframes({}, 3);
    stream.resize(stream.size() - 4);
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1", "failed"}));
    EXPECT_EQ(messages, std::vector<std::string>{"incomplete input file frame read"});
}

TEST_F(readframetest, SeparatePayloadThatDoesNotSplitStops) {
    framespec spec{.words = 26, .channels = 2, .jointcoding = 0}; // 21 payload words
    doc.jointcoding = 0;
    ASSERT_EQ(open(packframes(spec, 2)), framereader::search::found);
    reader->splittest = true;
    reader->channels = 2;
    EXPECT_EQ(walk(), (outcomes{"failed"}));
    EXPECT_EQ(messages, std::vector<std::string>{"multi-channel frame size error"});
}

TEST_F(readframetest, SeparatePayloadSplitsIntoChannelSlices) {
    framespec spec{.words = 205, .channels = 2, .jointcoding = 0};
    doc.jointcoding = 0;
    ASSERT_EQ(open(packframes(spec, 2)), framereader::search::found);
    reader->splittest = true;
    reader->channels = 2;
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1"}));
    EXPECT_EQ(reader->channelpayload, 100);
}

TEST_F(readframetest, IntactHeaderWithoutValidLengthIsALostFrame) {
    // A header that passes its CRC but announces 4 words: reading its "payload" would
    // mean a negative count. It is lost and the walk finds the next header.
    auto stream = packframes({}, 2);
    auto shortframe = packframe({.index = 2, .words = 4});
    stream.insert(stream.end(), shortframe.begin(), shortframe.begin() + 5);
    const auto more = packframe({.index = 3});
    stream.insert(stream.end(), more.begin(), more.end());
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1", "lost", "good 3"}));
    EXPECT_EQ(doc.stats.damagedheaders, 1);
}

TEST_F(readframetest, FewerThanSixteenBytesAfterTheLastFrameAreIgnored) {
    auto stream = packframes({}, 2);
    stream.insert(stream.end(), {1, 2, 3, 4, 5, 6, 7});
    ASSERT_EQ(open(stream), framereader::search::found);
    EXPECT_EQ(walk(), (outcomes{"good 0", "good 1"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(readframetest, EventsNameTheFrameAndTheWay) {
    std::vector<driveevent> events;
    doc.onevent = [&events](const driveevent& e) { events.push_back(e); };
    auto stream = packframes({}, 4);
    damageheader(stream, 2 * 20);
    ASSERT_EQ(open(stream), framereader::search::found);
    walk();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, driveevent::damagedheader);
    EXPECT_EQ(events[0].frame, 2);
    EXPECT_EQ(events[1].kind, driveevent::resync);
    EXPECT_EQ(events[1].way, 1);
    EXPECT_EQ(events[1].words, 20);
}

} // namespace
