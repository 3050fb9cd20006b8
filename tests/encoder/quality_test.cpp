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
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
}

} // namespace
