// The decode driver on the shipped streams, damaged on purpose, and on packed frames.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/random.h"
#include "driverfixture.h"

namespace {

class decodetest : public drivertest {
  protected:
    // Writes the stream as in.ztb and decodes it to out.wav.
    wavfile decode(const std::vector<uint16_t>& stream) {
        writewordsfile(path("in.ztb"), stream);
        usefiles("in.ztb", "out.wav");
        random_seed(1);
        doc.decodeZAT();
        return readwav(path("out.wav"));
    }
    std::vector<uint16_t> vector(const std::string& name) { return readwordsfile(vectorpath(name)); }
};

constexpr size_t framebytes(int nch) {
    return static_cast<size_t>(nch) * 1024;
}

TEST_F(decodetest, CleanStreamReportsSpeedAndRates) {
    const auto stream = vector("v01-default-48s.ztb");
    const wavfile wav = decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.rate, 48000u);
    EXPECT_EQ(wav.datasize, wav.samples.size() * 2);
    EXPECT_EQ(wav.riffsize, wav.datasize + 36);
    EXPECT_EQ(wav.samples.size(), framebytes(2) * static_cast<size_t>(doc.stats.frameswritten));
    EXPECT_EQ(doc.stats.frameswritten, static_cast<int64_t>(frameoffsets(stream).size()));
    EXPECT_EQ(doc.statustext.rfind("decoding completed", 0), 0u);
    const double expectedrate = stream.size() * 16 * 48.0 / (1024.0 * doc.stats.frameswritten);
    EXPECT_DOUBLE_EQ(doc.inforows[1].value, expectedrate);
    EXPECT_DOUBLE_EQ(doc.inforows[2].value, expectedrate);
    EXPECT_EQ(doc.inforows[4].value, 0.0);
    EXPECT_EQ(doc.nbitsseen, static_cast<int64_t>(stream.size()) * 16);
    EXPECT_EQ(window.infocalls, 1);
    // Progress only grows, ends at 100, and the status slot is redrawn last.
    ASSERT_GE(window.progress.size(), 2u);
    EXPECT_LE(window.progress.size(), 102u);
    EXPECT_TRUE(std::is_sorted(window.progress.begin(), window.progress.end() - 1));
    EXPECT_EQ(window.progress.end()[-2], 100);
    EXPECT_EQ(window.progress.back(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(decodetest, DamagedHeaderWithRightLengthLosesOneFrameAndKeepsTheCount) {
    auto stream = vector("v01-default-48s.ztb");
    const auto offsets = frameoffsets(stream);
    stream[offsets[3] + 2] ^= 0x0100; // not the length field
    const wavfile wav = decode(stream);
    EXPECT_EQ(doc.stats.frameslost, 1);
    EXPECT_EQ(doc.stats.resyncs[1], 1);
    EXPECT_EQ(doc.stats.framesconcealed, 1);
    EXPECT_EQ(doc.stats.frameswritten, static_cast<int64_t>(offsets.size()));
    EXPECT_EQ(wav.samples.size(), framebytes(2) * offsets.size());
}

TEST_F(decodetest, GarbageBeforeTheFirstHeaderCountsInProgressNotInRates) {
    const auto clean = vector("v01-default-48s.ztb");
    const wavfile reference = decode(clean);
    const double inputrate = doc.inforows[1].value;
    auto stream = clean;
    stream.insert(stream.begin(), {0xDFFD, 0x0102, 0xDFFD, 0x0304, 0x0506, 0x0708, 0x090A});
    window.progress.clear();
    const wavfile wav = decode(stream);
    EXPECT_EQ(wav.samples, reference.samples);
    EXPECT_DOUBLE_EQ(doc.inforows[1].value, inputrate);
    EXPECT_EQ(window.progress.end()[-2], 100);
}

TEST_F(decodetest, TruncatedLastFrameKeepsTheProvisionalHeader) {
    auto stream = vector("v01-default-48s.ztb");
    stream.resize(stream.size() - 2);
    doc.statustext = "before";
    const wavfile wav = decode(stream);
    EXPECT_EQ(messages, std::vector<std::string>{"incomplete input file frame read"});
    EXPECT_FALSE(doc.stats.completed);
    EXPECT_EQ(wav.riffsize, 36u);
    EXPECT_EQ(wav.channels, 0);
    EXPECT_EQ(wav.rate, 0u);
    EXPECT_EQ(wav.datasize, 0u);
    EXPECT_EQ(wav.samples.size(), framebytes(2) * (frameoffsets(stream).size() - 1));
    EXPECT_EQ(doc.statustext, "before");
}

TEST_F(decodetest, NoHeaderGivesAValidEmptyWavFile) {
    for (const auto& stream : {std::vector<uint16_t>(300, 0xDFFD), std::vector<uint16_t>{0xDFFD, 7}}) {
        messages.clear();
        const wavfile wav = decode(stream);
        EXPECT_EQ(messages, std::vector<std::string>{"no frame header found in bitstream file"});
        EXPECT_EQ(wav.riffsize, 36u);
        EXPECT_EQ(wav.channels, 1);
        EXPECT_EQ(wav.rate, 48000u);
        EXPECT_EQ(wav.datasize, 0u);
        EXPECT_TRUE(wav.samples.empty());
        EXPECT_FALSE(doc.stats.completed);
    }
}

TEST_F(decodetest, ZeroFramesGiveZeroFigures) {
    // One header and two words: found by the search, but fewer than 16 bytes for a frame.
    auto stream = packframe({});
    stream.resize(7);
    const wavfile wav = decode(stream);
    EXPECT_TRUE(doc.stats.completed);
    EXPECT_EQ(doc.stats.frameswritten, 0);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_TRUE(wav.samples.empty());
    EXPECT_EQ(doc.inforows[1].value, 0.0);
    EXPECT_EQ(doc.inforows[2].value, 0.0);
    EXPECT_EQ(doc.inforows[4].value, 0.0);
    EXPECT_EQ(doc.statustext.rfind("decoding completed", 0), 0u);
}

TEST_F(decodetest, BitrateFiguresOfTheHundredFrameExample) {
    const auto stream = packframes({.words = 107, .fill = 0}, 100);
    decode(stream);
    EXPECT_DOUBLE_EQ(doc.inforows[1].value, 80.25); // 107 x 16 x 48 / 1024
    EXPECT_DOUBLE_EQ(doc.inforows[2].value, 80.25);
    doc.outputbitratemode = 1;
    doc.scaledbitrate = 60.0; // 80 words
    decode(stream);
    EXPECT_DOUBLE_EQ(doc.inforows[1].value, 80.25);
    EXPECT_DOUBLE_EQ(doc.inforows[2].value, 60.0);
    doc.scaledbitrate = 500.0; // above every frame: decoded equals input
    decode(stream);
    EXPECT_DOUBLE_EQ(doc.inforows[2].value, 80.25);
}

TEST_F(decodetest, BitErrorsAtOnePerThousand) {
    std::vector<uint16_t> stream;
    const auto one = vector("v01-default-48s.ztb");
    for (int i = 0; i < 10; i++) stream.insert(stream.end(), one.begin(), one.end());
    doc.ber = 0.001;
    decode(stream);
    ASSERT_TRUE(doc.stats.completed);
    EXPECT_GT(doc.stats.frameslost, 0);
    EXPECT_GT(doc.stats.framesconcealed, 0);
    EXPECT_GT(doc.stats.passcrcfailures, 0);
    // A bit flips when 1 - r/32767 < 0.001, that is for r >= 32735: 33 of 32768 values.
    const double p = 33.0 / 32768.0;
    const double n = static_cast<double>(doc.nbitsseen);
    const double sigma = std::sqrt(n * p * (1 - p));
    EXPECT_NEAR(static_cast<double>(doc.nbiterrors), n * p, 5 * sigma);
    EXPECT_DOUBLE_EQ(doc.inforows[4].value, static_cast<double>(doc.nbiterrors) / n);
    EXPECT_EQ(doc.inforows[4].kind, 1);
}

TEST_F(decodetest, OutputBeyondTheWavSizeFieldsStopsAtTheLastFrameThatFits) {
    doc.wavdatalimit = 3 * 4096 + 100;
    const wavfile wav = decode(vector("v01-default-48s.ztb"));
    EXPECT_EQ(messages, std::vector<std::string>{"output file too large for WAV format"});
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.datasize, 3u * 4096);
    EXPECT_EQ(wav.samples.size(), 3u * 2048);
    EXPECT_FALSE(doc.stats.completed);
}

TEST_F(decodetest, RefusesToWriteOverItsInput) {
    const auto stream = vector("v01-default-48s.ztb");
    writewordsfile(path("in.ztb"), stream);
    usefiles("in.ztb", "in.ztb");
    doc.decodeZAT();
    EXPECT_EQ(messages, std::vector<std::string>{"input and output are the same file"});
    EXPECT_EQ(readwordsfile(path("in.ztb")), stream);
}

TEST_F(decodetest, FileAndWindowFailures) {
    usefiles("in.ZTB", "out.wav");
    doc.decodeZAT();
    usefiles("missing.ztb", "out.wav");
    doc.decodeZAT();
    setmainframewindow(nullptr);
    doc.decodeZAT();
    EXPECT_EQ(messages, (std::vector<std::string>{"invalid bitstream file format",
                                                  "cannot find bitstream file", "pointer error: decodeZAT"}));
    EXPECT_FALSE(std::filesystem::exists(path("out.wav")));
}

TEST_F(decodetest, FrameThatWritesNothingIsSilence) {
    // Without its first frame the stream starts with ALL_LONG, which after the initial
    // ALL_SHORT state writes nothing: neither channel may repeat what the sample buffer
    // still holds from the previous decode or from the other channel.
    doc.dither = 0;
    for (const char* name : {"v02-sine-441m.ztb", "v01-default-48s.ztb"}) {
        decode(vector("v15-dither0-48s.ztb"));
        auto stream = vector(name);
        stream.erase(stream.begin(), stream.begin() + static_cast<long>(frameoffsets(stream)[1]));
        const wavfile wav = decode(stream);
        const auto firstframe = wav.samples.begin() + static_cast<long>(framebytes(wav.channels));
        EXPECT_TRUE(std::all_of(wav.samples.begin(), firstframe, [](int16_t s) { return s == 0; })) << name;
        EXPECT_TRUE(std::any_of(firstframe, wav.samples.end(), [](int16_t s) { return s != 0; })) << name;
    }
}

TEST_F(decodetest, SameSeedSameOutput) {
    doc.ber = 0.002;
    const auto stream = vector("v05-separate-48s.ztb");
    doc.jointcoding = 0;
    const wavfile first = decode(stream);
    const wavfile second = decode(stream);
    EXPECT_EQ(first.samples, second.samples);
}

} // namespace
