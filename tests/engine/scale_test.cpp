// The scaling driver: payloads cut to the target, channel slices cut to their share, and
// the identity that decoding a scaled stream equals decoding the original scaled.
#include <filesystem>

#include "base/random.h"
#include "codec/format/frameheader.h"
#include "enginefixture.h"

namespace {

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

TEST_F(scaletest, ScaledModeCutsLongFramesOnly) {
    std::vector<uint16_t> stream;
    for (int16_t words : {120, 60, 200, 80}) {
        const auto frame = packframe({.index = static_cast<int16_t>(stream.size() % 16), .words = words});
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    doc.outputbitratemode = 1;
    doc.scaledbitrate = 60.0; // 80 words
    const auto output = scale(stream);
    const auto at = frameoffsets(output);
    ASSERT_EQ(at.size(), 4u);
    for (size_t i = 0; i < 4; i++)
        EXPECT_EQ((i + 1 < 4 ? at[i + 1] : output.size()) - at[i], i == 1 ? 60u : 80u) << "frame " << i;
    EXPECT_DOUBLE_EQ(doc.inforows[2].value, 300 * 16 * 48.0 / (1024 * 4));
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

} // namespace
