// The error models inside a decode: the default model's output pinned by a checksum,
// erased frames concealed with the walk in step, patterns that hit exactly what they mark,
// and models that cannot run refused before a file is written.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/random.h"
#include "driverfixture.h"
#include "engine/io/g192.h"

namespace {

// 64-bit FNV-1a over a whole file.
uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

class errordecode : public drivertest {
  protected:
    void SetUp() override {
        drivertest::SetUp();
        doc.onevent = [this](const driveevent& e) { events.push_back(e); };
    }
    wavfile decode(const std::vector<uint16_t>& stream) {
        writewordsfile(path("in.ztb"), stream);
        usefiles("in.ztb", "out.wav");
        events.clear();
        random_seed(1);
        doc.decodeZAT();
        return readwav(path("out.wav"));
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

TEST_F(errordecode, DefaultModelDecodesAsItAlwaysHas) {
    // The bundled sample at 1e-3 from generator state 1, as decoded before there was any
    // other error model.
    const auto stream = sample();
    doc.ber = 0.001;
    decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(fnv1a(readbytes(path("out.wav"))), 0x1872f7c400eef5acull);
    EXPECT_EQ(doc.stats.frameserased, 0);
    EXPECT_EQ(doc.stats.bursts.hits(), doc.nbiterrors);
}

TEST_F(errordecode, TwoStateBitErrorsComeInBursts) {
    const auto stream = sample();
    doc.errormodel = errormodel_gilbert;
    doc.ber = 0.002;
    doc.gamma = 0.9;
    decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_GT(doc.nbiterrors, 0);
    EXPECT_EQ(doc.stats.bursts.hits(), doc.nbiterrors);
    EXPECT_GT(doc.stats.bursts.meanlength(), 3.0);
    EXPECT_GT(doc.stats.frameslost + doc.stats.framesconcealed, 0);
}

TEST_F(errordecode, ErasuresAtTenPercentAreConcealedAndKeepTheWalkInStep) {
    const auto stream = sample();
    const wavfile clean = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    ASSERT_EQ(doc.stats.framesconcealed, 0);
    const int64_t frames = doc.stats.frameswritten;

    doc.errormodel = errormodel_erasure;
    doc.fer = 0.1;
    const wavfile erased = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(doc.stats.frameswritten, frames);
    EXPECT_EQ(erased.samples.size(), clean.samples.size());
    EXPECT_EQ(doc.stats.frameslost, 0);
    EXPECT_EQ(doc.nbiterrors, 0);
    EXPECT_EQ(doc.nbitsseen, static_cast<int64_t>(stream.size()) * 16);
    const double n = static_cast<double>(frames);
    EXPECT_NEAR(static_cast<double>(doc.stats.frameserased), 0.1 * n, 4 * std::sqrt(n * 0.1 * 0.9));
    // Every erased frame, and only those, is concealed.
    EXPECT_EQ(doc.stats.framesconcealed, doc.stats.frameserased);
    EXPECT_EQ(framesof(driveevent::concealedframe), framesof(driveevent::erasedframe));
    EXPECT_NE(erased.samples, clean.samples);
}

TEST_F(errordecode, ErasuresUnderSeparateCoding) {
    doc.jointcoding = 0;
    doc.errormodel = errormodel_erasure;
    doc.fer = 0.3;
    decode(readwordsfile(vectorpath("v05-separate-48s.ztb")));
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_GT(doc.stats.frameserased, 0);
    EXPECT_EQ(framesof(driveevent::concealedframe), framesof(driveevent::erasedframe));
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
    const wavfile patterned = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(doc.nbiterrors, 3);
    EXPECT_EQ(doc.stats.damagedheaders, 1);
    const auto patternedevents = events;

    // The same bits flipped in the file, decoded without injection, draw for draw alike.
    doc.errormodel = errormodel_independent;
    doc.errorsenabled = 0;
    const wavfile flipped = decode(damaged);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(patterned.samples, flipped.samples);
    EXPECT_EQ(patternedevents.size(), events.size());
}

TEST_F(errordecode, FramePatternErasesExactlyTheMarkedFramesAndRepeats) {
    usepattern({errorpattern::frames, {0, 0, 1, 0, 0, 0, 1, 1}});
    decode(readwordsfile(vectorpath("v01-default-48s.ztb")));
    ASSERT_TRUE(doc.stats.completed);
    std::vector<int64_t> want;
    for (int64_t f = 0; f < doc.stats.frameswritten; f++)
        if (f % 8 == 2 || f % 8 >= 6) want.push_back(f);
    EXPECT_EQ(framesof(driveevent::erasedframe), want);
    EXPECT_EQ(framesof(driveevent::concealedframe), want);
}

TEST_F(errordecode, ModelsThatCannotRunStopBeforeAnyFileIsWritten) {
    writewordsfile(path("bad.g192"), {0x007F, 0x1234});
    const auto stream = readwordsfile(vectorpath("v01-default-48s.ztb"));
    const struct {
        int32_t model;
        double gamma, fer;
        std::string pattern, message;
    } cases[] = {
        {errormodel_pattern, 0.0, 0.0, path("bad.g192"), "not in G.192 format"},
        {errormodel_pattern, 0.0, 0.0, path("none.g192"), "cannot read error pattern file"},
        {errormodel_pattern, 0.0, 0.0, "", "needs a pattern file"},
        {errormodel_gilbert, 1.5, 0.0, "", "gamma"},
        {errormodel_erasure, 0.0, 0.75, "", "frame erasure rate"},
    };
    for (const auto& c : cases) {
        doc.errormodel = c.model;
        doc.gamma = c.gamma;
        doc.fer = c.fer;
        doc.patternpath = c.pattern;
        messages.clear();
        std::filesystem::remove(path("out.wav"));
        decode(stream);
        EXPECT_FALSE(doc.stats.completed);
        ASSERT_EQ(messages.size(), 1u) << c.message;
        EXPECT_NE(messages[0].find(c.message), std::string::npos) << messages[0];
        EXPECT_FALSE(std::filesystem::exists(path("out.wav"))) << c.message;
    }
}
