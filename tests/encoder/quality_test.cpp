// Quality of encoded and decoded signals: the SNR goals of the encoder.
#include <cstdio>

#include "roundtrip.h"

namespace {

using quality = encodertest;

TEST_F(quality, SineAt64kbitsMono) {
    encodersettings s;
    s.bitrate = 64.0;
    const double db = roundtripsnr(sine(48000, 1000.0, 0.5, 1.0), s);
    std::printf("1 kHz sine, -6 dBFS, mono, 48 kHz, 64 kbit/s: SNR %.1f dB\n", db);
    EXPECT_GE(db, 60.0);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

} // namespace

namespace {

struct configuration {
    const char* name;
    encodersettings settings;
    double minimum; // dB
};

encodersettings with(void (*change)(encodersettings&)) {
    encodersettings s;
    s.bitrate = 128.0;
    change(s);
    return s;
}

std::vector<configuration> stereoconfigurations() {
    std::vector<configuration> list;
    static const char* names[2][3][2] = {{{"separate w0 crc0", "separate w0 crc1"},
                                          {"separate w1 crc0", "separate w1 crc1"},
                                          {"separate w2 crc0", "separate w2 crc1"}},
                                         {{"joint w0 crc0", "joint w0 crc1"},
                                          {"joint w1 crc0", "joint w1 crc1"},
                                          {"joint w2 crc0", "joint w2 crc1"}}};
    for (int joint = 0; joint < 2; joint++)
        for (int mode = 0; mode < 3; mode++)
            for (int crc = 0; crc < 2; crc++) {
                encodersettings s;
                s.bitrate = 128.0;
                s.jointcoding = joint;
                s.weightmode = mode;
                s.crcon = crc;
                list.push_back({names[joint][mode][crc], s, 50.0});
            }
    list.push_back({"scanmode 0", with([](encodersettings& s) { s.scanmode = 0; }), 50.0});
    list.push_back({"scanmode 2", with([](encodersettings& s) { s.scanmode = 2; }), 50.0});
    list.push_back({"runmode 0", with([](encodersettings& s) { s.runmode = 0; }), 10.0});
    list.push_back({"runmode 1", with([](encodersettings& s) { s.runmode = 1; }), 10.0});
    list.push_back({"refinefirst 1", with([](encodersettings& s) { s.refinefirst = 1; }), 50.0});
    list.push_back({"chaninterleave 0", with([](encodersettings& s) { s.chaninterleave = 0; }), 50.0});
    list.push_back({"weightshare 0", with([](encodersettings& s) { s.weightshare = 0; }), 50.0});
    list.push_back({"wpredmode 2, wstepmode 1", with([](encodersettings& s) {
                        s.wpredmode = 2;
                        s.wstepmode = 1;
                    }),
                    50.0});
    list.push_back({"w1 wsignmode 2, wpredmode 0", with([](encodersettings& s) {
                        s.weightmode = 1;
                        s.wsignmode = 2;
                        s.wpredmode = 0;
                    }),
                    50.0});
    return list;
}

class stereomatrix : public encodertest, public ::testing::WithParamInterface<configuration> {};

TEST_P(stereomatrix, TwoToneAt128kbits) {
    const configuration& c = GetParam();
    const double db = roundtripsnr(twotonestereo(48000, 0.6), c.settings);
    std::printf("two-tone stereo, 48 kHz, 128 kbit/s, %-28s SNR %.1f dB\n", c.name, db);
    EXPECT_GE(db, c.minimum);
    EXPECT_EQ(doc.stats.framesconcealed, 0);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

INSTANTIATE_TEST_SUITE_P(Configurations, stereomatrix, ::testing::ValuesIn(stereoconfigurations()),
                         [](const auto& info) { return "c" + std::to_string(info.index); });

class everyrate : public encodertest, public ::testing::WithParamInterface<int> {};

TEST_P(everyrate, TwoToneAt128kbits) {
    encodersettings s;
    s.bitrate = 128.0;
    const double db = roundtripsnr(twotonestereo(GetParam(), 0.6), s);
    std::printf("two-tone stereo, %5d Hz, 128 kbit/s, defaults: SNR %.1f dB\n", GetParam(), db);
    EXPECT_GE(db, 50.0);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

INSTANTIATE_TEST_SUITE_P(Rates, everyrate,
                         ::testing::Values(11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000));

} // namespace

namespace {

// On a music-like signal the default (white noise) gives more SNR than the masking
// model's shaping, at a low and a high rate; both streams decode without concealment.
class tunes : public encodertest, public ::testing::WithParamInterface<double> {};

TEST_P(tunes, WhiteNoiseBeatsTheMaskingModelOnSnr) {
    encodersettings s;
    s.bitrate = GetParam();
    const testsignal music = musiclike(44100, 2, 2.0);
    const double white = roundtripsnr(music, s);
    s.tune = encodertune::perceptual;
    const double shaped = roundtripsnr(music, s);
    std::printf("music-like, %g kbit/s: SNR %.1f dB white, %.1f dB perceptual\n", GetParam(), white, shaped);
    EXPECT_GT(white, shaped + 1.0);
    EXPECT_EQ(doc.stats.framesconcealed, 0);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

INSTANTIATE_TEST_SUITE_P(Rates, tunes, ::testing::Values(48.0, 192.0));

} // namespace
