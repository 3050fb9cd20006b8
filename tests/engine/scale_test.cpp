// The scaling driver (whose output the conformance vectors pin in joint and separate
// coding): payloads cut to the target, the bitrate figures of a decode, and the identity
// that decoding a scaled stream equals decoding the original scaled.
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

// The hundred-frame example: 107 x 16 x 48 / 1024 = 80.25 kbit/s in, the scaled rate out
// (60 kbit/s: 80 words), the input's when the target lies above every frame.
TEST_F(scaletest, BitrateFiguresOfTheHundredFrameExample) {
    writewordsfile(path("in.ztb"), packframes({.words = 107, .fill = 0}, 100));
    usefiles("in.ztb", "out.wav");
    for (auto [mode, kbps, out] : {std::tuple{0, 0.0, 80.25}, {1, 60.0, 60.0}, {1, 500.0, 80.25}}) {
        doc.outputbitratemode = mode;
        doc.scaledbitrate = kbps;
        doc.decodeZAT();
        EXPECT_DOUBLE_EQ(doc.inforows[1].value, 80.25);
        EXPECT_DOUBLE_EQ(doc.inforows[2].value, out) << kbps;
    }
}

// Decoding scaleZAT's output equals decoding the original in "output bitrate: scaled"
// mode at the same bitrate, sample for sample, in joint and in separate coding. Bit errors
// are off: with them every word read costs 16 draws, and the shorter file would shift the
// random sequence of dither and concealment.
TEST_F(scaletest, ScalingThenDecodingEqualsDecodingScaled) {
    for (auto [name, joint] : {std::pair{"v01-default-48s.ztb", 1}, {"v05-separate-48s.ztb", 0}}) {
        const auto original = readwordsfile(vectorpath(name));
        for (double kbps : {6.0, 20.0, 33.3, 48.0, 64.0, 96.0, 300.0}) {
            doc.config.jointcoding = joint;
            doc.scaledbitrate = kbps;
            doc.outputbitratemode = 1;
            const auto scaled = scale(original);
            ASSERT_TRUE(doc.stats.completed);
            doc.errorsenabled = 0;
            const auto direct = decode(original);
            doc.outputbitratemode = 0;
            const auto viascaled = decode(scaled);
            ASSERT_TRUE(doc.stats.completed);
            EXPECT_EQ(viascaled, direct) << name << " at " << kbps << " kbit/s";
        }
    }
}

} // namespace
