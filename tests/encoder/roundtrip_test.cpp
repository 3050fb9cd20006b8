// Encoded and decoded again: the SNR goal, the embedded property (every cut of the
// payload decodes), configurations beyond the defaults, determinism, and what the encoder
// refuses.
#include <cmath>

#include "encoder/encodefile.h"
#include "roundtrip.h"
#include "tests/support/settings.h"

namespace {

using streams = encodertest;

TEST_F(streams, SineAt64kbitsMonoReachesSixtyDecibels) {
    encodersettings s;
    s.bitrate = 64.0;
    const double db = roundtripsnr(sine(48000, 1000.0, 0.5, 1.0), s);
    EXPECT_GE(db, 60.0);
}

// The default's white noise against the masking model's shaping on a music-like signal.
TEST_F(streams, WhiteNoiseBeatsTheMaskingModelOnSnr) {
    const testsignal music = musiclike(44100, 2, 2.0);
    for (double kbps : {48.0, 192.0}) {
        encodersettings s{.bitrate = kbps};
        const double white = roundtripsnr(music, s);
        s.tune = encodertune::perceptual;
        const double shaped = roundtripsnr(music, s);
        EXPECT_GT(white, shaped + 1.0) << kbps;
    }
}

TEST_F(streams, EveryCutOfThePayloadDecodes) {
    const testsignal x = musiclike(48000, 1, 0.2);
    encodersettings s;
    s.bitrate = 48.0; // 64 words, 59 of payload
    ASSERT_EQ(encode(x, s), 0) << error;
    const auto whole = decode(s);
    std::vector<double> db;
    for (int16_t cut = 3; cut <= 59; cut++) {
        // The decoder reads only the first `cut` words of every payload. A cut inside a
        // pass fails its CRC word, which the decoder answers with its own concealment
        // (noise filling, or the whole frame when the top plane is cut), never an error.
        const auto out = decode(s, "in", (cut + 5) * 0.75);
        ASSERT_TRUE(doc.stats.completed) << cut;
        ASSERT_EQ(out.size(), whole.size());
        db.push_back(snr(x, out));
    }
    EXPECT_EQ(decode(s, "in", 64 * 0.75), whole); // no cut
    EXPECT_GT(db[59 - 3], db[30 - 3]);
    EXPECT_GT(db[30 - 3], db[10 - 3]);
    EXPECT_GT(db[10 - 3], db[0]);
}

// A stream cut down to its scale floor keeps its first planes whole: no pass CRC fails
// early enough for the decoder to fill the spectrum from the previous frame.
TEST_F(streams, CutToTheScaleFloorLosesLittle) {
    const testsignal x = musiclike(48000, 2, 1.0);
    encodersettings s{.bitrate = 256.0};
    ASSERT_EQ(encode(x, s, "high"), 0) << error;
    const double cut = snr(x, decode(s, "high", s.scalefloor));
    s.bitrate = s.scalefloor;
    EXPECT_GT(cut, roundtripsnr(x, s) - 1.0);
}

// The encoder in configurations beyond the defaults, at every kind of sample rate: the
// decoder configured alike decodes each without concealment, at a usable SNR.
struct extraconfig {
    int rate, channels;
    const char* coding;         // the coding configuration, as --set takes it
    encodersettings other = {}; // the encoder's own choices
};

class configurations : public encodertest, public ::testing::WithParamInterface<extraconfig> {};

TEST_P(configurations, DecodeCleanly) {
    const extraconfig& c = GetParam();
    applysettings(doc, c.coding);
    encodersettings s = c.other;
    s.coding = doc.config;
    s.bitrate = 96.0;
    const double db = roundtripsnr(musiclike(c.rate, c.channels, 0.8), s);
    EXPECT_GT(db, 8.0) << c.coding;
    EXPECT_EQ(doc.stats.framesconcealed, 0) << c.coding;
}

INSTANTIATE_TEST_SUITE_P(Extra, configurations,
                         ::testing::ValuesIn(std::vector<extraconfig>{
                             {48000, 1, ""},
                             {11025, 1, ""},
                             {12000, 2, ""},
                             {44100, 1, "jointcoding=0"},
                             {48000, 2, "weighton=0"},
                             {22050, 2, "jointcoding=0 weighton=0"},
                             {48000, 2, "scfresmode=0"},
                             {32000, 2, "scfresmode=1 scanmode=2"},
                             {48000, 2, "crclevel=3"},
                             {24000, 2, "shortbandtype=0 longbandtype=0"},
                             {48000, 2, "wsignmode=1 wparamshort=3 wparamlong=2"},
                             {32000, 2, "jointcoding=0 weightmode=0 scanmode=0"},
                             {48000, 2, "weightstep=1.5", {.codedbands = 20}},
                             {48000, 2, "", {.blockswitching = 0}},
                             {48000, 2, "scanmode=2 chaninterleave=0"},
                             {44100, 2, "weightmode=1 wstepmode=1 wpredmode=2"},
                             {16000, 2, "weightmode=1 runmode=1 runparam=2"},
                             {44100, 2, "jointcoding=0", {.tune = encodertune::perceptual}},
                         }),
                         [](const auto& info) { return "c" + std::to_string(info.index); });

TEST_F(streams, SameInputSameBytes) {
    const testsignal x = musiclike(44100, 2, 0.5);
    encodersettings s;
    ASSERT_EQ(encode(x, s, "a"), 0) << error;
    ASSERT_EQ(encode(x, s, "b"), 0) << error;
    EXPECT_EQ(readwordsfile(path("a.ztb")), readwordsfile(path("b.ztb")));
}

TEST_F(streams, RefusesInputItCannotCode) {
    // Each case refuses with the message and leaves no stream behind.
    auto refuses = [this](const std::string& name, int result, std::initializer_list<const char*> says) {
        EXPECT_EQ(result, 1) << name;
        for (const char* text : says) EXPECT_NE(error.find(text), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path(name + ".ztb")));
    };
    testsignal three = sine(48000, 440.0, 0.5, 0.1);
    three.channels = 3;
    three.samples.resize(three.samples.size() / 3 * 3);
    refuses("three", encode(three, {}, "three"), {"3 channels"});
    refuses("fast", encode(sine(96000, 440.0, 0.5, 0.1), {}, "fast"), {"96000 Hz", "48000"});
    writewavfile(path("fine.wav"), sine(48000, 440.0, 0.5, 0.1));
    refuses("nowhere/fine", encodefile(path("fine.wav"), path("nowhere/fine.ztb"), {}, error),
            {"cannot create output file"});
}

} // namespace
