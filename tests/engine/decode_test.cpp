// The decode driver on the shipped streams, damaged on purpose, and on packed frames.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/random.h"
#include "enginefixture.h"

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

} // namespace
