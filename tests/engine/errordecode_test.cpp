// The error models inside a decode: erased frames concealed with the walk in step, and
// patterns that hit exactly what they mark.
#include <cmath>

#include "engine/io/g192.h"
#include "enginefixture.h"

namespace {

class errordecode : public drivertest {
  protected:
    void SetUp() override {
        drivertest::SetUp();
        doc.hooks.event = [this](const driveevent& e) { events.push_back(e); };
    }
    std::vector<int16_t> decode(const std::vector<uint16_t>& stream) {
        events.clear();
        return drivertest::decode(stream);
    }
    std::vector<int64_t> framesof(driveevent::kinds kind) const {
        std::vector<int64_t> frames;
        for (const driveevent& e : events)
            if (e.kind == kind && (frames.empty() || frames.back() != e.frame)) frames.push_back(e.frame);
        return frames;
    }
    void usepattern(const errorpattern& pattern) {
        ASSERT_TRUE(writepattern(path("p.g192"), pattern));
        doc.errormodel = errormodel_pattern;
        doc.patternpath = path("p.g192");
    }

    std::vector<driveevent> events;
};

std::vector<uint16_t> sample() {
    return readwordsfile(vectorpath("../../wav/test.ztb"));
}

// Position of a stream bit in the order the bits travel: word by word, bit 15 first.
size_t travelbit(size_t word, int bit) {
    return word * 16 + static_cast<size_t>(15 - bit);
}

} // namespace

TEST_F(errordecode, ErasuresAtTenPercentAreConcealedAndKeepTheWalkInStep) {
    const auto stream = sample();
    const std::vector<int16_t> clean = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    ASSERT_EQ(doc.stats.framesconcealed, 0);
    const int64_t frames = doc.stats.frameswritten;

    doc.errormodel = errormodel_erasure;
    doc.fer = 0.1;
    const std::vector<int16_t> erased = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(doc.stats.frameswritten, frames);
    EXPECT_EQ(erased.size(), clean.size());
    EXPECT_EQ(doc.stats.frameslost, 0);
    EXPECT_EQ(doc.nbiterrors, 0);
    EXPECT_EQ(doc.nbitsseen, static_cast<int64_t>(stream.size()) * 16);
    const double n = static_cast<double>(frames);
    EXPECT_NEAR(static_cast<double>(doc.stats.frameserased), 0.1 * n, 4 * std::sqrt(n * 0.1 * 0.9));
    // Every erased frame, and only those, is concealed.
    EXPECT_EQ(doc.stats.framesconcealed, doc.stats.frameserased);
    EXPECT_EQ(framesof(driveevent::concealedframe), framesof(driveevent::erasedframe));
    EXPECT_NE(erased, clean);
}

TEST_F(errordecode, BitPatternFlipsExactlyTheMarkedBits) {
    const auto stream = sample();
    const auto offsets = frameoffsets(stream);
    ASSERT_GT(offsets.size(), 6u);
    // Two payload bits and, last, a header bit outside the length field: the damaged
    // header costs a resync, after which the walk passes over words unread.
    const size_t hits[][2] = {{offsets[1] + 10, 3}, {offsets[3] + 40, 15}, {offsets[5] + 2, 8}};
    errorpattern pattern{errorpattern::bits, std::vector<uint8_t>(stream.size() * 16, 0)};
    auto damaged = stream;
    for (const auto& [word, bit] : hits) {
        pattern.marks[travelbit(word, static_cast<int>(bit))] = 1;
        damaged[word] = static_cast<uint16_t>(damaged[word] ^ (1u << bit));
    }
    usepattern(pattern);
    const std::vector<int16_t> patterned = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(doc.nbiterrors, 3);
    EXPECT_EQ(doc.stats.damagedheaders, 1);
    const auto patternedevents = events;

    // The same bits flipped in the file, decoded without injection, draw for draw alike.
    doc.errormodel = errormodel_independent;
    doc.errorsenabled = 0;
    const std::vector<int16_t> flipped = decode(damaged);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(patterned, flipped);
    EXPECT_EQ(patternedevents.size(), events.size());
}
