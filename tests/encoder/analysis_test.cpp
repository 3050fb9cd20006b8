// The analysis filter bank against the direct MDCT formula, and analysis followed by the
// decoder's synthesis over every legal block-mode sequence: the output is the input
// delayed by one frame.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "codec/decoder/zatdec.h"
#include "codec/format/frameheader.h"
#include "encoder/analysis.h"

namespace {

constexpr int32_t framelen = 1024;

class ForwardMdctDirect : public ::testing::TestWithParam<int32_t> {};

TEST_P(ForwardMdctDirect, MatchesTheDefiningSum) {
    const int32_t n = GetParam();
    const int32_t m = n / 2;
    std::mt19937 rng(n);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> in(n), out(m);
    for (double& v : in) v = dist(rng);
    forwardmdct mdct(n);
    mdct.transform(in.data(), out.data());
    const double n0 = (m + 1) / 2.0;
    double maxref = 0.0, maxerr = 0.0;
    for (int32_t k = 0; k < m; k++) {
        long double sum = 0.0L;
        for (int32_t j = 0; j < n; j++)
            sum += in[j] * std::cos(2.0L * std::numbers::pi_v<long double> / n * (j + n0) * (k + 0.5L));
        const double ref = static_cast<double>(sum * 2.0L / m);
        maxref = std::max(maxref, std::abs(ref));
        maxerr = std::max(maxerr, std::abs(ref - out[k]));
    }
    EXPECT_LT(maxerr / maxref, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ForwardMdctDirect, ::testing::Values(128, 256, 2048));

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

    const size_t nframes = modes.size();
    std::vector<double> input((nframes + 1) * framelen, 0.0); // one frame of silence ahead
    for (size_t i = 0; i < signal.size() && framelen + i < input.size(); i++) input[framelen + i] = signal[i];
    std::vector<double> out(framelen);
    std::vector<std::vector<double>> spectrum(nblock, std::vector<double>(framelen));
    dec.outbuf = out.data();
    int16_t last = ALL_SHORT; // the decoder's default start
    double maxerr = 0.0;
    for (size_t t = 0; t < nframes; t++) {
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

std::vector<double> fullscalesine(size_t n) {
    std::vector<double> s(n);
    for (size_t i = 0; i < n; i++) s[i] = std::sin(2.0 * std::numbers::pi * 997.0 * i / 48000.0);
    return s;
}

// Every legal transition: long runs, long -> LONG_SHORT -> short runs -> SHORT_LONG ->
// long, LONG_SHORT straight into SHORT_LONG, SHORT_LONG followed by a short frame.
const std::vector<int16_t> everytransition = {
    SHORT_LONG, ALL_LONG,   ALL_LONG,  ALL_LONG,   LONG_SHORT, ALL_SHORT, ALL_SHORT,  SHORT_LONG, ALL_LONG,
    LONG_SHORT, SHORT_LONG, ALL_SHORT, SHORT_LONG, LONG_SHORT, ALL_SHORT, SHORT_LONG, ALL_LONG,   ALL_LONG};

class PerfectReconstruction : public ::testing::TestWithParam<int> {};

TEST_P(PerfectReconstruction, RandomSignalOverEveryTransition) {
    const auto signal = randomsignal(everytransition.size() * framelen);
    EXPECT_LT(reconstructionerror(GetParam(), everytransition, signal), 1e-9);
}

TEST_P(PerfectReconstruction, FullScaleSineOverEveryTransition) {
    const auto signal = fullscalesine(everytransition.size() * framelen);
    EXPECT_LT(reconstructionerror(GetParam(), everytransition, signal), 1e-9);
}

TEST_P(PerfectReconstruction, ShortFramesOnly) {
    const std::vector<int16_t> modes(8, ALL_SHORT);
    EXPECT_LT(reconstructionerror(GetParam(), modes, randomsignal(modes.size() * framelen)), 1e-9);
}

// 48 kHz has short blocks of 128, 24 and 32 kHz of 64.
INSTANTIATE_TEST_SUITE_P(ShortLengths, PerfectReconstruction, ::testing::Values(7, 4, 5));

TEST(PerfectReconstruction, AnIllegalTransitionDoesNotReconstruct) {
    // ALL_LONG straight into a short frame lacks the start window: the check above would
    // notice a placement fault of this kind.
    const std::vector<int16_t> modes = {SHORT_LONG, ALL_LONG, ALL_SHORT, SHORT_LONG, ALL_LONG};
    EXPECT_GT(reconstructionerror(7, modes, randomsignal(modes.size() * framelen)), 1e-3);
}

} // namespace
