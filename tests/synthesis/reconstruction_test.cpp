// Perfect reconstruction of zatdec::synthesis against a direct forward MDCT (a reference
// model, O(N^2)): analysis windows and block placement that mirror the synthesis,
// X[k] = (2/M) sum_n w[n] x[n] cos(2 pi/N (n + n0)(k + 1/2)).
// The synthesis output is the input delayed by one frame (framelen samples).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "codec/decoder/zatdec.h"

namespace {

// cos(2 pi/N (n + n0)(k + 1/2)) for n < N, k < N/2, row by row.
const std::vector<double>& cosines(int n) {
    static std::map<int, std::vector<double>> cache;
    std::vector<double>& table = cache[n];
    if (table.empty()) {
        const double n0 = (n / 2 + 1) / 2.0;
        table.resize(static_cast<size_t>(n) * (n / 2));
        for (int i = 0; i < n; i++)
            for (int k = 0; k < n / 2; k++)
                table[static_cast<size_t>(i) * (n / 2) + k] =
                    std::cos(2 * std::numbers::pi / n * (i + n0) * (k + 0.5));
    }
    return table;
}

// Forward MDCT of the windowed segment seg[0..N-1] into X[0..N/2-1].
void forward(const double* seg, const std::vector<double>& window, double* x) {
    const int n = static_cast<int>(window.size());
    const std::vector<double>& c = cosines(n);
    for (int k = 0; k < n / 2; k++) x[k] = 0.0;
    for (int i = 0; i < n; i++) {
        const double v = window[i] * seg[i];
        const double* row = &c[static_cast<size_t>(i) * (n / 2)];
        for (int k = 0; k < n / 2; k++) x[k] += v * row[k];
    }
    for (int k = 0; k < n / 2; k++) x[k] *= 2.0 / (n / 2);
}

// Long analysis window of a frame: the rising half is the stop window after a short
// frame, the falling half the start window before one.
std::vector<double> longwindow(const zatdec& dec, bool aftershort, bool beforeshort) {
    const int ml = dec.longlen, ms = dec.shortlen;
    const int p = ((dec.nblock - 1) * ms) / 2;
    std::vector<double> w(dec.longwindow);
    if (aftershort)
        for (int i = 0; i < ml; i++) w[i] = i < p ? 0.0 : i < p + ms ? dec.shortwindow[i - p] : 1.0;
    if (beforeshort)
        for (int i = 0; i < ml; i++) w[ml + i] = i < p ? 1.0 : i < p + ms ? dec.shortwindow[ms + i - p] : 0.0;
    return w;
}

// Decodes the frames of the given modes from the signal x (zero before its start) and
// returns the largest difference between output frame f and x[(f-1)F .. fF-1].
double reconstructionerror(int srindex, const std::vector<int>& modes, const std::vector<double>& x) {
    zatdec dec;
    const int shortlen = srindex == 4 || srindex == 5 ? 64 : 128;
    EXPECT_EQ(dec.arrayalloc_zatdec(1024, shortlen, 1024 / shortlen, 512 + shortlen / 2, 32, 32), 0);
    dec.setsamplerate(static_cast<int16_t>(srindex));
    const int f = dec.framelen, ms = dec.shortlen;
    const int p = ((dec.nblock - 1) * ms) / 2;
    std::vector<double> out(f);
    dec.outbuf = out.data();
    dec.lastblockmode = ALL_LONG;

    std::vector<double> padded(f, 0.0);
    padded.insert(padded.end(), x.begin(), x.end());
    padded.resize(padded.size() + 2 * f, 0.0);
    double error = 0.0;
    int last = ALL_LONG;
    for (size_t frame = 0; frame < modes.size(); frame++) {
        const int mode = modes[frame];
        const double* seg = &padded[frame * f]; // x[(frame - 1)F ...]
        dec.reset_spectrum();
        if (isshortmode(mode)) {
            for (int b = 0; b < dec.nblock; b++)
                forward(seg + p + b * ms, dec.shortwindow, dec.mdctbuf[b].data());
        } else {
            forward(seg, longwindow(dec, isshortmode(last), mode == LONG_SHORT), dec.mdctbuf[0].data());
        }
        dec.blockmode = static_cast<int16_t>(mode);
        dec.synthesis();
        dec.lastblockmode = dec.blockmode;
        last = mode;
        for (int i = 0; i < f; i++) error = std::max(error, std::abs(out[i] - seg[i]));
    }
    return error;
}

std::vector<double> randomsignal(size_t length) {
    std::mt19937 source(2024);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> x(length);
    for (double& v : x) v = value(source);
    return x;
}

std::vector<double> sine(size_t length) {
    std::vector<double> x(length);
    for (size_t i = 0; i < length; i++) x[i] = std::sin(2 * std::numbers::pi * 997.0 / 44100.0 * i);
    return x;
}

constexpr int L = ALL_LONG, LS = LONG_SHORT, S = ALL_SHORT, SL = SHORT_LONG;

const std::vector<std::vector<int>> sequences = {
    {L, L, L, L},
    {L, LS, S, S, SL, L, L},
    {L, LS, SL, LS, SL, L},
    {L, LS, S, SL, S, SL, LS, S, SL, L},
};

} // namespace

TEST(Reconstruction, EveryLegalBlockSequenceRestoresTheInput) {
    for (int srindex : {6, 5}) { // short blocks of 128 and of 64
        for (const auto& modes : sequences) {
            const size_t length = modes.size() * 1024;
            EXPECT_LT(reconstructionerror(srindex, modes, randomsignal(length)), 1e-9)
                << "srindex " << srindex << " frames " << modes.size();
            EXPECT_LT(reconstructionerror(srindex, modes, sine(length)), 1e-9)
                << "srindex " << srindex << " frames " << modes.size();
        }
    }
}
