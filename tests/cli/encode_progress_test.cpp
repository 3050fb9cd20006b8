// tonvex encode, and the progress bar that appears only on a terminal.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>

#include "toolrun.h"

namespace {

// A 16-bit stereo WAV file of two sine tones.
std::string sinewav(int rate, int frames) {
    std::string data;
    for (int i = 0; i < frames; ++i)
        for (double freq : {440.0, 1000.0}) {
            const auto v =
                static_cast<int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * freq * i / rate)));
            data.push_back(static_cast<char>(v & 0xFF));
            data.push_back(static_cast<char>((v >> 8) & 0xFF));
        }
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int b = 0; b < bytes; ++b) s.push_back(static_cast<char>((v >> (8 * b)) & 0xFF));
        return s;
    };
    const auto size = static_cast<uint32_t>(data.size());
    return "RIFF" + le(36 + size, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
           le(static_cast<uint32_t>(rate), 4) + le(static_cast<uint32_t>(rate) * 4, 4) + le(4, 2) +
           le(16, 2) + "data" + le(size, 4) + data;
}

TEST(CliEncode, EncodesAWavFileAtTheBitrateAsked) {
    scratchdir dir;
    writefile(dir / "tones.wav", sinewav(48000, 48000));
    const toolrun run = dir.run({"encode", "tones.wav", "--bitrate", "64"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(std::filesystem::exists(dir / "tones.ztb"));

    const toolrun info = dir.run({"info", "tones.ztb", "--json"});
    ASSERT_EQ(info.status, 0) << info.err;
    const nlohmann::json stream = nlohmann::json::parse(info.out);
    EXPECT_EQ(stream.at("channels"), 2);
    EXPECT_EQ(stream.at("sample_rate"), 48000);
    EXPECT_NEAR(stream.at("bitrate_kbps").at("mean").get<double>(), 64.0, 1.0);
    EXPECT_EQ(stream.at("damaged_headers"), 0);

    // The encoder honours the document's settings: a separately coded stream decodes
    // only with the same setting.
    ASSERT_EQ(dir.run({"encode", "tones.wav", "-o", "separate.ztb", "--set", "jointcoding=0"}).status, 0);
    EXPECT_EQ(dir.run({"decode", "separate.ztb", "--set", "jointcoding=0", "--quiet"}).status, 0);
    ASSERT_EQ(dir.run({"encode", "tones.wav", "-o", "shaped.ztb", "--tune", "perceptual"}).status, 0);
    EXPECT_EQ(dir.run({"decode", "shaped.ztb", "--quiet"}).status, 0);
}

TEST(CliEncode, RefusesWhatItCannotEncode) {
    scratchdir dir;
    writefile(dir / "odd.wav", sinewav(44000, 4400)); // not one of the eight sample rates
    const toolrun run = dir.run({"encode", "odd.wav"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "odd.ztb"));

    const toolrun missing = dir.run({"encode", "missing.wav"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.ztb"));

    EXPECT_EQ(dir.run({"encode", "odd.wav", "--set", "weightmode=7"}).status, 2);
    EXPECT_EQ(dir.run({"encode", "odd.wav", "--tune", "loud"}).status, 2);
}

TEST(CliProgress, BarOnlyOnATerminal) {
    scratchdir dir;
    const toolrun piped = dir.run({"decode", "-o", "a.wav"});
    ASSERT_EQ(piped.status, 0);
    EXPECT_TRUE(piped.err.empty()) << piped.err;

    const toolrun terminal = dir.run({"decode", "-o", "b.wav"}, true);
    ASSERT_EQ(terminal.status, 0);
    EXPECT_NE(terminal.err.find("100%"), std::string::npos) << terminal.err;
    EXPECT_NE(terminal.err.find('\r'), std::string::npos);
    // The bar goes to standard error only: the results on standard output are the same.
    EXPECT_EQ(terminal.out.substr(terminal.out.find('\n')), piped.out.substr(piped.out.find('\n')));

    const toolrun quiet = dir.run({"decode", "-o", "c.wav", "--quiet"}, true);
    ASSERT_EQ(quiet.status, 0);
    EXPECT_TRUE(quiet.err.empty()) << quiet.err;
    EXPECT_TRUE(quiet.out.empty()) << quiet.out;
}

} // namespace
