// A damaged weight drives a band level past the range of a double: the gain is +inf, the
// synthesis of the frame NaN, and its samples silence; the frame sharing its overlap is
// silent too, and the next one is decoded as if nothing had happened. Every sample is the
// literal conversion of what the synthesis gave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/io/pcm.h"
#include "tests/support/decoders.h"

namespace {

// The PCM sample the arithmetic gives for x: NaN is silence, the rest clips.
int16_t literal(double x) {
    if (std::isnan(x)) return 0;
    return static_cast<int16_t>(std::clamp(std::floor(32768.0 * x + 0.5), -32768.0, 32767.0));
}

// A mono long-block channel with every band coded.
struct channel : longframefixture {
    channel() { dec.nbandcoded = 32; }
    // One long frame: coefficient 3 at c0 and 40 at 1e-6, band 0 at weight w0 and band 1
    // at 0 dB; returns its samples.
    std::vector<int16_t> frame(int16_t w0, double& extreme, double c0 = 1e-6) {
        dec.reset_sideinfo();
        dec.blockmode = ALL_LONG;
        std::fill(dec.mdctbuf[0].begin(), dec.mdctbuf[0].end(), 0.0);
        dec.mdctbuf[0][3] = c0;
        dec.mdctbuf[0][40] = 1e-6;
        dec.weight[0][0] = w0;
        dec.output_frame();
        std::vector<int16_t> pcm(1024);
        randomsource undrawn; // no dither: nothing is drawn
        pcmconvert(undrawn, out.data(), pcm.data(), 1024, 0);
        extreme = 0.0;
        for (int32_t i = 0; i < 1024; ++i) {
            EXPECT_EQ(pcm[i], literal(out[i])) << "sample " << i << " of " << out[i];
            if (!std::isnan(out[i])) extreme = std::max(extreme, std::abs(out[i]));
        }
        return pcm;
    }
};

} // namespace

TEST(LevelOverflow, NanFramesAreSilentHugeOnesFullScaleAndTheNextFramesRecover) {
    const std::vector<int16_t> silence(1024, 0);
    channel damaged, clean;
    double extreme = 0.0;
    for (int n = 0; n < 2; ++n) clean.frame(0, extreme), damaged.frame(0, extreme);

    EXPECT_EQ(damaged.frame(2100, extreme), silence); // 6300 dB: inf gain, inf * 0 = NaN
    EXPECT_EQ(damaged.frame(0, extreme), silence);    // the NaN half of the overlap
    clean.frame(0, extreme), clean.frame(0, extreme);
    EXPECT_EQ(damaged.frame(0, extreme), clean.frame(0, extreme));

    // 6054 dB: the largest finite gains; the samples reach the top of the double range
    // and clip to full scale (an inf inside the transform would meet others as NaN).
    const std::vector<int16_t> loud = damaged.frame(2018, extreme, 1.0);
    EXPECT_GT(extreme, 1e308);
    EXPECT_EQ(std::count(loud.begin(), loud.end(), int16_t{32767}) +
                  std::count(loud.begin(), loud.end(), int16_t{-32768}),
              1024);
}
