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

struct frameinfo {
    int16_t index, words, channels, srindex, blockmode, codedbands;
    int16_t bitplanes[2], crcwords[2], groupflags[2][16];
};

// Walks a stream by its length fields, checking sync and header CRC of every frame.
std::vector<frameinfo> readheaders(const std::vector<uint16_t>& stream, const encodersettings& s) {
    std::vector<frameinfo> frames;
    decodeheader reader;
    reader.framelen = 1024;
    reader.scfresmode = s.scfresmode;
    reader.jointcoding = s.jointcoding;
    reader.weightmode = s.weightmode;
    reader.weightshare = s.weightshare;
    reader.weighton = s.weighton;
    reader.headerwords = headerwords_for(s.weighton, s.weightmode, s.jointcoding);
    std::vector<uint16_t> padded = stream;
    padded.push_back(0);
    for (size_t at = 0; at + reader.headerwords <= stream.size();) {
        reader.wordbuf = padded.data() + at;
        reader.read();
        EXPECT_EQ(reader.syncfound, 1);
        EXPECT_EQ(reader.crc16(padded.data() + at + 1, static_cast<uint32_t>(reader.headerwords - 1)), 0);
        frameinfo f{reader.frameindex,
                    reader.framewords,
                    reader.channels,
                    reader.srindex,
                    reader.blockmode,
                    reader.codedbands,
                    {},
                    {},
                    {}};
        for (int ch = 0; ch < 2; ch++) {
            f.bitplanes[ch] = reader.bitplanes[ch];
            f.crcwords[ch] = reader.crcwords[ch];
            for (int b = 0; b < 16; b++) f.groupflags[ch][b] = reader.groupflags[ch][b];
        }
        frames.push_back(f);
        if (reader.framewords < 8) break;
        at += static_cast<size_t>(reader.framewords);
    }
    return frames;
}

bool legaltransition(int16_t previous, int16_t next) {
    const bool shortnext = next == ALL_SHORT || next == SHORT_LONG;
    if (previous == ALL_LONG || previous == SHORT_LONG)
        return next == ALL_LONG || next == LONG_SHORT || previous == SHORT_LONG;
    return shortnext; // ALL_SHORT and LONG_SHORT go on with a short frame
}

using streams = encodertest;

TEST_F(streams, HeaderFieldsOfEveryFrame) {
    const testsignal x = musiclike(48000, 2, 1.5);
    for (int joint = 0; joint <= 1; joint++)
        for (int mode = 0; mode <= 2; mode++) {
            encodersettings s;
            s.bitrate = 96.0;
            s.jointcoding = joint;
            s.weightmode = mode;
            ASSERT_EQ(encode(x, s), 0) << error;
            const auto frames = readheaders(readwords(path("in.ztb")), s);
            const int16_t h = headerwords_for(1, mode, joint);
            ASSERT_EQ(frames.size(), (x.frames() + 1023) / 1024 + 1);
            int16_t words = framewordsforbitrate(96.0, 48.0); // 128
            if ((words - h) % 2 != 0) words--;
            std::set<int16_t> modes;
            for (size_t i = 0; i < frames.size(); i++) {
                const frameinfo& f = frames[i];
                EXPECT_EQ(f.index, static_cast<int16_t>(i % 16));
                EXPECT_EQ(f.words, words);
                EXPECT_EQ((f.words - h) % 2, 0) << "stereo payload must be even";
                EXPECT_EQ(f.channels, 2);
                EXPECT_EQ(f.srindex, 7);
                EXPECT_EQ(f.codedbands, 32);
                EXPECT_TRUE(i > 0 || f.blockmode == ALL_SHORT || f.blockmode == SHORT_LONG);
                EXPECT_TRUE(i == 0 || legaltransition(frames[i - 1].blockmode, f.blockmode)) << i;
                modes.insert(f.blockmode);
                const int n = joint != 0 ? 1 : 2;
                for (int ch = 0; ch < n; ch++) {
                    if (mode == 2) {
                        EXPECT_LE(f.bitplanes[ch], 30);
                        // Every frame but the silent one at the very end carries coefficients.
                        EXPECT_TRUE(i + 1 == frames.size() || f.bitplanes[ch] >= 1) << i;
                        const bool shortframe = f.blockmode == ALL_SHORT || f.blockmode == SHORT_LONG;
                        EXPECT_TRUE(!shortframe || f.groupflags[ch][0] == 1);
                    } else {
                        EXPECT_GE(f.crcwords[ch], 2); // side information and its CRC word
                        EXPECT_LE(f.crcwords[ch], (f.words - h) / n);
                    }
                }
            }
            EXPECT_EQ(modes.size(), 4u) << "all four block modes";
        }
}

TEST_F(streams, MusicLikeSignalGainsWithEveryBitrateStep) {
    const testsignal x = musiclike(48000, 2, 1.5);
    double previous = -1e9;
    for (double kbps : {32.0, 64.0, 128.0, 256.0}) {
        encodersettings s;
        s.bitrate = kbps;
        const double db = roundtripsnr(x, s);
        std::printf("music-like stereo, 48 kHz, %3.0f kbit/s: SNR %.1f dB\n", kbps, db);
        EXPECT_GT(db, previous);
        previous = db;
        EXPECT_EQ(doc.stats.framesconcealed, 0); // every top-plane pass arrives whole
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(streams, DecodedOutputCoversTheWholeInput) {
    // 2500 samples: three frames of input, four frames of output after the delay.
    testsignal x = sine(16000, 500.0, 0.5, 2500.0 / 16000);
    encodersettings s;
    ASSERT_EQ(encode(x, s), 0) << error;
    const auto out = decode(s);
    EXPECT_EQ(out.size(), 4u * 1024);
    EXPECT_GT(snr(x, out), 50.0);
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
        for (double v : out) ASSERT_TRUE(std::isfinite(v));
        db.push_back(snr(x, out));
        if (cut % 8 == 3)
            std::printf("music-like mono, payload cut to %2d of 59 words: SNR %.1f dB\n", cut, db.back());
    }
    EXPECT_EQ(decode(s, "in", 64 * 0.75), whole); // no cut
    EXPECT_GT(db[59 - 3], db[30 - 3]);
    EXPECT_GT(db[30 - 3], db[10 - 3]);
    EXPECT_GT(db[10 - 3], db[0]);
    EXPECT_TRUE(messages.empty()) << messages.front();
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
    EXPECT_TRUE(messages.empty()) << messages.front();
}

INSTANTIATE_TEST_SUITE_P(
    Extra, configurations,
    ::testing::Values(extraconfig{"mono joint", 48000, 1, [](encodersettings&) {}},
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

    {
        std::FILE* f = std::fopen(path("text.wav").c_str(), "wb");
        std::fputs("not audio at all", f);
        std::fclose(f);
    }
    EXPECT_EQ(encodefile(path("text.wav"), path("text.ztb"), s, error), 1);
    EXPECT_NE(error.find("text.wav"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path("text.ztb")));

    writewavfile(path("fine.wav"), sine(48000, 440.0, 0.5, 0.1));
    EXPECT_EQ(encodefile(path("fine.wav"), path("nowhere/fine.ztb"), s, error), 1);
    EXPECT_NE(error.find("cannot create output file"), std::string::npos) << error;
}

TEST_F(streams, EmptyInputGivesOneSilentFrame) {
    testsignal none;
    encodersettings s;
    ASSERT_EQ(encode(none, s), 0) << error;
    const auto frames = readheaders(readwords(path("in.ztb")), s);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bitplanes[0], 0); // nothing to code
    const auto out = decode(s);
    EXPECT_EQ(out.size(), 1024u);
    for (double v : out) EXPECT_EQ(v, 0.0);
    EXPECT_FALSE(std::filesystem::exists(path("in.ztb.partial")));
}

TEST_F(streams, RefusesAHeaderThatCannotBePacked) {
    encodersettings s;
    s.jointcoding = 0; // two separate channels, weights in the passes: 80 header bits at 24 and 32 kHz
    for (int rate : {24000, 32000}) {
        EXPECT_EQ(encode(twotonestereo(rate, 0.1), s), 1);
        EXPECT_NE(error.find("cannot be packed"), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path("in.ztb")));
    }
    // One channel, or weights in the side information, fit.
    EXPECT_EQ(encode(sine(24000, 440.0, 0.5, 0.1), s), 0) << error;
    s.weightmode = 1;
    EXPECT_EQ(encode(twotonestereo(32000, 0.1), s), 0) << error;
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(streams, FrameLengthFollowsTheDocumentsRule) {
    for (double kbps : {1.0, 32.0, 64.0, 80.0, 128.0, 200.0, 1000.0})
        for (int16_t sr = 0; sr < 8; sr++) {
            doc.fs_khz = samplerate_khz(sr);
            EXPECT_EQ(framewordsforbitrate(kbps, samplerate_khz(sr)), doc.scaledframelen(kbps));
        }
    EXPECT_EQ(framewordsforbitrate(80.0, 48.0), 107);
}

} // namespace

namespace {

TEST_F(streams, FullScaleInputsNeverReachPlane31) {
    testsignal x;
    x.channels = 2;
    x.rate = 44100;
    for (size_t i = 0; i < 44100 / 2; i++) {
        const double square = (i / 50) % 2 == 0 ? 1.0 : -1.0;
        const double alternating = i % 2 == 0 ? 1.0 : -1.0;
        x.samples.push_back(square);
        x.samples.push_back(i < 11025 ? alternating : -square);
    }
    for (int weighton = 0; weighton <= 1; weighton++) {
        encodersettings s;
        s.weighton = weighton;
        ASSERT_EQ(encode(x, s), 0) << error;
        for (const frameinfo& f : readheaders(readwords(path("in.ztb")), s)) EXPECT_LE(f.bitplanes[0], 30);
        decode(s);
        EXPECT_EQ(doc.stats.framesconcealed, 0);
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(streams, AQuietFrameStillCarriesItsCoefficients) {
    // A tone so quiet that its integers are tiny: the top plane must still be at least 1.
    encodersettings s;
    s.weighton = 0; // integers at 2147483647 scale without gains: 1e-9 gives about 2
    const testsignal x = sine(48000, 1000.0, 1e-9, 0.2);
    ASSERT_EQ(encode(x, s), 0) << error;
    const auto frames = readheaders(readwords(path("in.ztb")), s);
    for (size_t i = 1; i + 1 < frames.size(); i++) EXPECT_GE(frames[i].bitplanes[0], 1) << i;
}

} // namespace
