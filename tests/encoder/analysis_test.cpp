// Analysis followed by the decoder's synthesis over every legal block-mode sequence: the
// output is the input delayed by one frame.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec/decoder/zatdec.h"
#include "codec/format/frameheader.h"
#include "encoder/analysis.h"

namespace {

constexpr int32_t framelen = 1024;

// Runs the analysis and the decoder's synthesis over a block-mode sequence and returns
// the largest difference between the output of frames 1.. and the input one frame earlier.
double reconstructionerror(int srindex, const std::vector<int16_t>& modes,
                           const std::vector<double>& signal) {
    const int32_t shortlen = shortblocklength(srindex);
    const int32_t nblock = framelen / shortlen;
    zatdec dec;
    EXPECT_EQ(dec.arrayalloc_zatdec(framelen, shortlen, nblock, framelen / 2 + shortlen / 2, 32, 32), 0);
    dec.setsamplerate(static_cast<int16_t>(srindex));
    analysis ana(framelen, shortlen, dec.longwindow.data(), dec.shortwindow.data());

    std::vector<double> input((modes.size() + 1) * framelen, 0.0); // one frame of silence ahead
    for (size_t i = 0; i < signal.size() && framelen + i < input.size(); i++) input[framelen + i] = signal[i];
    std::vector<double> out(framelen);
    std::vector<std::vector<double>> spectrum(nblock, std::vector<double>(framelen));
    dec.outbuf = out.data();
    int16_t last = ALL_SHORT; // the decoder's default start
    double maxerr = 0.0;
    for (size_t t = 0; t < modes.size(); t++) {
        // Frame t's span: input frames t-1 and t (index t of `input` is input frame t-1).
        ana.transform(&input[t * framelen], modes[t], last, spectrum);
        for (int32_t b = 0; b < nblock; b++) dec.mdctbuf[b] = spectrum[b];
        dec.blockmode = modes[t];
        dec.synthesis();
        dec.lastblockmode = dec.blockmode;
        last = modes[t];
        // Output frame t is input frame t-1, which sits at index t of `input`.
        if (t >= 1)
            for (int32_t i = 0; i < framelen; i++)
                maxerr = std::max(maxerr, std::abs(out[i] - input[t * framelen + i]));
    }
    return maxerr;
}

std::vector<double> randomsignal(size_t n) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> s(n);
    for (double& v : s) v = dist(rng);
    return s;
}

// Every legal transition: long runs, long -> LONG_SHORT -> short runs -> SHORT_LONG ->
// long, LONG_SHORT straight into SHORT_LONG, SHORT_LONG followed by a short frame.
const std::vector<int16_t> everytransition = {
    SHORT_LONG, ALL_LONG,   ALL_LONG,  ALL_LONG,   LONG_SHORT, ALL_SHORT, ALL_SHORT,  SHORT_LONG, ALL_LONG,
    LONG_SHORT, SHORT_LONG, ALL_SHORT, SHORT_LONG, LONG_SHORT, ALL_SHORT, SHORT_LONG, ALL_LONG,   ALL_LONG};

// 48 kHz has short blocks of 128, 24 and 32 kHz of 64.
TEST(PerfectReconstruction, EveryTransitionAndShortFramesOnlyAtEveryShortLength) {
    const std::vector<int16_t> shortonly(8, ALL_SHORT);
    for (int srindex : {7, 4, 5})
        for (const auto* modes : {&everytransition, &shortonly})
            EXPECT_LT(reconstructionerror(srindex, *modes, randomsignal(modes->size() * framelen)), 1e-9)
                << srindex;
}

TEST(PerfectReconstruction, AnIllegalTransitionDoesNotReconstruct) {
    // ALL_LONG straight into a short frame lacks the start window: the check above would
    // notice a placement fault of this kind.
    const std::vector<int16_t> modes = {SHORT_LONG, ALL_LONG, ALL_SHORT, SHORT_LONG, ALL_LONG};
    EXPECT_GT(reconstructionerror(7, modes, randomsignal(modes.size() * framelen)), 1e-3);
}

} // namespace
