// tonvex encode: WAV and FLAC input, the bitrate asked, and what it refuses.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "toolrun.h"

namespace {

// A second of tones in a file of the given format, channel count and rate, through libsndfile.
void writetones(const std::filesystem::path& file, int format, int channels, int rate = 48000) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<double> samples(static_cast<size_t>(rate * channels));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.3 * std::sin(0.05 * static_cast<double>(i));
    sf_writef_double(f, samples.data(), rate);
    sf_close(f);
}

TEST(CliEncode, EncodesWavAndFlacAtTheBitrateAsked) {
    scratchdir dir;
    writetones(dir / "tones.wav", SF_FORMAT_WAV, 2);
    writetones(dir / "tones.flac", SF_FORMAT_FLAC, 2);
    for (const std::string input : {"tones.wav", "tones.flac"}) {
        ASSERT_EQ(dir.run(words("encode " + input + " -o " + input + ".ztb --bitrate 64")).status, 0)
            << input;
        const nlohmann::json stream = dir.json("info " + input + ".ztb");
        EXPECT_EQ(stream.at("channels"), 2);
        EXPECT_EQ(stream.at("sample_rate"), 48000);
        EXPECT_NEAR(stream.at("bitrate_kbps").at("mean").get<double>(), 64.0, 1.0);
        EXPECT_EQ(stream.at("damaged_headers"), 0);
    }
    // The encoder honours the document's settings: a separately coded stream decodes
    // only with the same setting.
    ASSERT_EQ(dir.run("encode tones.wav -o separate.ztb --set jointcoding=0").status, 0);
    EXPECT_EQ(dir.run("decode separate.ztb --set jointcoding=0 --quiet").status, 0);
    ASSERT_EQ(dir.run("encode tones.wav -o shaped.ztb --tune perceptual").status, 0);
    EXPECT_EQ(dir.run("decode shaped.ztb --quiet").status, 0);
}

TEST(CliEncode, RefusesWhatItCannotEncode) {
    scratchdir dir;
    writetones(dir / "odd.wav", SF_FORMAT_WAV, 2, 44000); // not one of the eight sample rates
    writetones(dir / "three.wav", SF_FORMAT_WAV, 3);
    for (const char* name : {"odd", "three"}) {
        const toolrun run = dir.run(words(std::string("encode ") + name + ".wav"));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_FALSE(run.err.empty()) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / (std::string(name) + ".ztb"))) << name;
    }
    EXPECT_EQ(dir.run("encode odd.wav --tune loud").status, 2);
}

} // namespace
