// The streams the encoder writes: header fields of every frame, legal block-mode
// sequences, the embedded property, bitrates, and what it refuses.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <set>

#include "codec/format/frameheader.h"
#include "encoder/encodefile.h"
#include "encoder/streamencoder.h"
#include "roundtrip.h"

namespace {

using streams = encodertest;

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
        for (double v : out) ASSERT_TRUE(std::isfinite(v));
        db.push_back(snr(x, out));
        if (cut % 8 == 3)
            std::printf("music-like mono, payload cut to %2d of 59 words: SNR %.1f dB\n", cut, db.back());
    }
    EXPECT_EQ(decode(s, "in", 64 * 0.75), whole); // no cut
    EXPECT_GT(db[59 - 3], db[30 - 3]);
    EXPECT_GT(db[30 - 3], db[10 - 3]);
    EXPECT_GT(db[10 - 3], db[0]);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
}

struct extraconfig {
    const char* name;
    int rate, channels;
    void (*change)(encodersettings&);
};

class configurations : public encodertest, public ::testing::WithParamInterface<extraconfig> {};

TEST_P(configurations, DecodeCleanly) {
    const extraconfig& c = GetParam();
    encodersettings s;
    s.bitrate = 96.0;
    c.change(s);
    const double db = roundtripsnr(musiclike(c.rate, c.channels, 0.8), s);
    std::printf("music-like, %s: SNR %.1f dB\n", c.name, db);
    EXPECT_GT(db, 8.0);
    EXPECT_EQ(doc.stats.framesconcealed, 0);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
}

INSTANTIATE_TEST_SUITE_P(
    Extra, configurations,
    ::testing::Values(extraconfig{"mono joint", 48000, 1, [](encodersettings&) {}},
                      extraconfig{"mono at 11.025 kHz", 11025, 1, [](encodersettings&) {}},
                      extraconfig{"stereo at 12 kHz", 12000, 2, [](encodersettings&) {}},
                      extraconfig{"mono separate", 44100, 1, [](encodersettings& s) { s.jointcoding = 0; }},
                      extraconfig{"no weights", 48000, 2, [](encodersettings& s) { s.weighton = 0; }},
                      extraconfig{"no weights separate", 22050, 2,
                                  [](encodersettings& s) {
                                      s.weighton = 0;
                                      s.jointcoding = 0;
                                  }},
                      extraconfig{"scfresmode 0", 48000, 2, [](encodersettings& s) { s.scfresmode = 0; }},
                      extraconfig{"scfresmode 1, scan 2", 32000, 2,
                                  [](encodersettings& s) {
                                      s.scfresmode = 1;
                                      s.scanmode = 2;
                                  }},
                      extraconfig{"crclevel 3", 48000, 2, [](encodersettings& s) { s.crclevel = 3; }},
                      extraconfig{"uniform bands", 24000, 2,
                                  [](encodersettings& s) {
                                      s.shortbandtype = 0;
                                      s.longbandtype = 0;
                                  }},
                      extraconfig{"wsignmode 1, wparams 3/2", 48000, 2,
                                  [](encodersettings& s) {
                                      s.wsignmode = 1;
                                      s.wparamshort = 3;
                                      s.wparamlong = 2;
                                  }},
                      extraconfig{"separate w0 at 32 kHz, scan 0", 32000, 2,
                                  [](encodersettings& s) {
                                      s.jointcoding = 0;
                                      s.weightmode = 0;
                                      s.scanmode = 0;
                                  }},
                      extraconfig{"weightstep 1.5, 20 bands", 48000, 2,
                                  [](encodersettings& s) {
                                      s.weightstep = 1.5;
                                      s.codedbands = 20;
                                  }},
                      extraconfig{"long blocks only", 48000, 2,
                                  [](encodersettings& s) { s.blockswitching = 0; }},
                      extraconfig{"chaninterleave 0, scan 2", 48000, 2,
                                  [](encodersettings& s) {
                                      s.chaninterleave = 0;
                                      s.scanmode = 2;
                                  }},
                      extraconfig{"w1 wpredmode 2, wstepmode 1", 44100, 2,
                                  [](encodersettings& s) {
                                      s.weightmode = 1;
                                      s.wpredmode = 2;
                                      s.wstepmode = 1;
                                  }},
                      extraconfig{"w1 with runmode 1, runparam 2", 16000, 2,
                                  [](encodersettings& s) {
                                      s.weightmode = 1;
                                      s.runmode = 1;
                                      s.runparam = 2;
                                  }}),
    [](const auto& info) { return "c" + std::to_string(info.index); });

TEST_F(streams, SameInputSameBytes) {
    const testsignal x = musiclike(44100, 2, 0.5);
    encodersettings s;
    ASSERT_EQ(encode(x, s, "a"), 0) << error;
    ASSERT_EQ(encode(x, s, "b"), 0) << error;
    EXPECT_EQ(readwordsfile(path("a.ztb")), readwordsfile(path("b.ztb")));
}

TEST_F(streams, RefusesInputItCannotCode) {
    encodersettings s;
    testsignal three = sine(48000, 440.0, 0.5, 0.1);
    three.channels = 3;
    three.samples.resize(three.samples.size() / 3 * 3);
    EXPECT_EQ(encode(three, s, "three"), 1);
    EXPECT_NE(error.find("3 channels"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path("three.ztb")));

    EXPECT_EQ(encode(sine(96000, 440.0, 0.5, 0.1), s, "fast"), 1);
    EXPECT_NE(error.find("96000 Hz"), std::string::npos) << error;
    EXPECT_NE(error.find("48000"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path("fast.ztb")));

    writewavfile(path("fine.wav"), sine(48000, 440.0, 0.5, 0.1));
    EXPECT_EQ(encodefile(path("fine.wav"), path("nowhere/fine.ztb"), s, error), 1);
    EXPECT_NE(error.find("cannot create output file"), std::string::npos) << error;
}

} // namespace

namespace {} // namespace
