// The scaling driver: re-packed headers, cut payloads, dropped frames, and the identity
// that decoding a scaled stream equals decoding the original at the scaled bitrate.
#include <filesystem>

#include "base/random.h"
#include "codec/format/frameheader.h"
#include "driverfixture.h"

namespace {

struct headerfields {
    int16_t index, words, codedbands, blockmode;
    bool intact;
};

// The headers of a stream read back as the frame walk reads them.
std::vector<headerfields> readheaders(std::vector<uint16_t> stream, int32_t jointcoding = 1,
                                      int32_t weightmode = 2) {
    const int16_t H = headerwords_for(1, weightmode, jointcoding);
    std::vector<headerfields> result;
    stream.resize(stream.size() + 8);
    for (size_t at : frameoffsets(stream, H)) {
        if (at + static_cast<size_t>(H) + 8 > stream.size()) break;
        decodeheader header;
        header.wordbuf = stream.data() + at;
        header.headerwords = H;
        header.jointcoding = jointcoding;
        header.weightmode = weightmode;
        header.read();
        result.push_back({header.frameindex, header.framewords, header.codedbands, header.blockmode,
                          header.crc16(stream.data() + at + 1, static_cast<uint32_t>(H - 1)) == 0});
    }
    return result;
}

class scaletest : public drivertest {
  protected:
    // Writes the stream as in.ztb and scales it to out_s.ztb.
    std::vector<uint16_t> scale(const std::vector<uint16_t>& stream) {
        writewordsfile(path("in.ztb"), stream);
        usefiles("in.ztb", "out.wav", "out_s.ztb");
        doc.scaleZAT();
        return readwordsfile(path("out_s.ztb"));
    }
    // Decodes a stream from a fresh random state, with no bit errors, to its samples.
    std::vector<int16_t> decode(const std::vector<uint16_t>& stream) {
        writewordsfile(path("dec.ztb"), stream);
        usefiles("dec.ztb", "dec.wav");
        doc.errorsenabled = 0;
        random_seed(1);
        doc.decodeZAT();
        EXPECT_TRUE(doc.stats.completed);
        return readwav(path("dec.wav")).samples;
    }
    std::vector<uint16_t> vector(const std::string& name) { return readwordsfile(vectorpath(name)); }
};

TEST_F(scaletest, EncodedModeKeepsFramesAndRenumbersAfterDroppedOnes) {
    auto stream = vector("v01-default-48s.ztb");
    const auto offsets = frameoffsets(stream);
    stream[offsets[2] + 2] ^= 0x0100;
    stream[offsets[9] + 3] ^= 0x0001;
    const auto output = scale(stream);
    ASSERT_TRUE(doc.stats.completed);
    const auto in = readheaders(stream);
    const auto out = readheaders(output);
    ASSERT_EQ(out.size(), offsets.size() - 2);
    size_t j = 0;
    for (size_t i = 0; i < in.size(); i++) {
        if (i == 2 || i == 9) continue;
        EXPECT_TRUE(out[j].intact);
        EXPECT_EQ(out[j].index, static_cast<int16_t>(j % 16));
        EXPECT_EQ(out[j].words, in[i].words);
        EXPECT_EQ(out[j].codedbands, in[i].codedbands);
        EXPECT_EQ(out[j].blockmode, in[i].blockmode);
        j++;
    }
    // Lost frames count at the last good length in both figures.
    EXPECT_DOUBLE_EQ(doc.inforows[1].value, doc.inforows[2].value);
    EXPECT_EQ(doc.inforows[2].label, "output bitstream");
    EXPECT_EQ(doc.inforows[4].value, 0.0);
    EXPECT_EQ(doc.statustext.rfind("bitrate scaling completed", 0), 0u);
    EXPECT_EQ(window.progress.front(), 0); // the status slot is cleared first
    EXPECT_EQ(window.infocalls, 1);
}

TEST_F(scaletest, ScaledModeCutsLongFramesOnly) {
    std::vector<uint16_t> stream;
    for (int16_t words : {120, 60, 200, 80}) {
        const auto frame = packframe({.index = static_cast<int16_t>(stream.size() % 16), .words = words});
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    doc.outputbitratemode = 1;
    doc.scaledbitrate = 60.0; // 80 words
    const auto out = readheaders(scale(stream));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].words, 80);
    EXPECT_EQ(out[1].words, 60);
    EXPECT_EQ(out[2].words, 80);
    EXPECT_EQ(out[3].words, 80);
    EXPECT_DOUBLE_EQ(doc.inforows[2].value, 300 * 16 * 48.0 / (1024 * 4));
}

TEST_F(scaletest, EveryFrameKeepsItsOwnCodedBandwidth) {
    std::vector<uint16_t> stream;
    for (int16_t bands : {32, 20, 7, 32, 1}) {
        const auto frame = packframe({.codedbands = bands});
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    const auto out = readheaders(scale(stream));
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[1].codedbands, 20);
    EXPECT_EQ(out[2].codedbands, 7);
    EXPECT_EQ(out[4].codedbands, 1);
}

TEST_F(scaletest, JointPayloadOfOddLengthIsNoSplitError) {
    doc.outputbitratemode = 1;
    doc.scaledbitrate = 64.0; // 85 words: 80 payload words
    const auto output = scale(packframes({.words = 106, .channels = 2}, 3));
    EXPECT_TRUE(messages.empty());
    const auto out = readheaders(output);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].words, 85);
}

TEST_F(scaletest, SeparateSlicesAreEachCutToTheirShare) {
    // Two channel slices of 100 words, told apart by their contents.
    auto frame = packframe({.words = 205, .channels = 2, .jointcoding = 0});
    for (int i = 0; i < 100; i++) {
        frame[5 + i] = static_cast<uint16_t>(0x1000 + i);
        frame[105 + i] = static_cast<uint16_t>(0x2000 + i);
    }
    doc.jointcoding = 0;
    doc.outputbitratemode = 1;
    doc.scaledbitrate = 64.0; // 85 words, 80 payload words, 40 per channel
    const auto output = scale(frame);
    ASSERT_EQ(output.size(), 85u);
    for (int i = 0; i < 40; i++) {
        EXPECT_EQ(output[5 + i], 0x1000 + i);
        EXPECT_EQ(output[45 + i], 0x2000 + i);
    }
    // A target whose payload does not split is raised until it does.
    doc.scaledbitrate = 63.0; // 84 words: raised to 85
    EXPECT_EQ(scale(frame).size(), 85u);
}

TEST_F(scaletest, StoppedRunLeavesNoOutput) {
    auto stream = vector("v01-default-48s.ztb");
    stream.resize(stream.size() - 3);
    scale(stream);
    EXPECT_EQ(messages, std::vector<std::string>{"incomplete input file frame read"});
    EXPECT_FALSE(std::filesystem::exists(path("out_s.ztb")));
    EXPECT_FALSE(doc.stats.completed);
    messages.clear();
    scale(std::vector<uint16_t>(50, 0));
    EXPECT_EQ(messages, std::vector<std::string>{"no frame header found in bitstream file"});
    EXPECT_FALSE(std::filesystem::exists(path("out_s.ztb")));
}

TEST_F(scaletest, NamesAndSameFile) {
    writewordsfile(path("in.ztb"), vector("v01-default-48s.ztb"));
    usefiles("in.ZTB", "x.wav", "out_s.ztb");
    doc.scaleZAT();
    usefiles("none.ztb", "x.wav", "out_s.ztb");
    doc.scaleZAT();
    usefiles("in.ztb", "x.wav", "out.wav");
    doc.scaleZAT();
    usefiles("in.ztb", "x.wav", "in.ztb");
    doc.scaleZAT();
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "invalid bitstream input file format", "cannot find bitstream input file",
                            "invalid bitstream output file format", "input and output are the same file"}));
    EXPECT_EQ(readwordsfile(path("in.ztb")), vector("v01-default-48s.ztb"));
}

// Decoding scaleZAT's output equals decoding the original in "output bitrate: scaled"
// mode at the same bitrate, sample for sample, in joint and in separate coding. Bit errors
// are off: with them every word read costs 16 draws, and the shorter file would shift the
// random sequence of dither and concealment.
TEST_F(scaletest, ScalingThenDecodingEqualsDecodingScaled) {
    struct vectorcase {
        const char* name;
        int32_t jointcoding;
    };
    for (const vectorcase& v :
         {vectorcase{"v01-default-48s.ztb", 1}, vectorcase{"v05-separate-48s.ztb", 0}}) {
        const auto original = vector(v.name);
        for (double kbps : {6.0, 20.0, 33.3, 48.0, 64.0, 96.0, 300.0}) {
            doc.jointcoding = v.jointcoding;
            doc.scaledbitrate = kbps;
            doc.outputbitratemode = 1;
            const auto scaled = scale(original);
            ASSERT_TRUE(doc.stats.completed);
            const auto direct = decode(original);
            doc.outputbitratemode = 0;
            const auto viascaled = decode(scaled);
            EXPECT_EQ(viascaled, direct) << v.name << " at " << kbps << " kbit/s";
        }
    }
}

TEST_F(scaletest, CutInsideTheSideInformationConcealsTheScaledFrames) {
    // With weights in the side information the side CRC covers crcwords words whatever the
    // budget: decoding the original at 8 words per frame still has all of them, the cut
    // stream does not, so its frames are concealed.
    doc.weightmode = 0;
    doc.scaledbitrate = 1.0;
    doc.outputbitratemode = 1;
    const auto original = vector("v06-wm0-441s.ztb");
    const auto scaled = scale(original);
    ASSERT_TRUE(doc.stats.completed);
    decode(original);
    EXPECT_EQ(doc.stats.framesconcealed, 0);
    doc.outputbitratemode = 0;
    decode(scaled);
    EXPECT_EQ(doc.stats.framesconcealed, doc.stats.frameswritten);
}

} // namespace
