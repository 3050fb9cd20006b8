#include "encoder/blockswitch.h"

#include <algorithm>
#include <vector>

namespace {
constexpr double attackratio = 10.0;
constexpr double attackfloor = 1e-6; // high-passed energy per sample below which nothing counts
constexpr double groupratio = 4.0;   // 6 dB
} // namespace

bool hasattack(const double* span, int32_t framelen, int32_t shortlen) {
    const int32_t nblock = framelen / shortlen;
    const int32_t start = ((nblock - 1) * shortlen) / 2; // first sample of the short blocks
    const int32_t end = start + (nblock + 1) * shortlen;
    // Segments aligned with the short blocks; up to four before them form the reference.
    const int32_t lead = std::min(4, (start - 1) / shortlen);
    std::vector<double> energies;
    for (int32_t s = start - lead * shortlen; s + shortlen <= end; s += shortlen) {
        double e = 0.0;
        for (int32_t n = s; n < s + shortlen; n++) {
            const double d = span[n] - span[n - 1];
            e += d * d;
        }
        const size_t count = std::min<size_t>(energies.size(), 4);
        if (s >= start && e > attackfloor * shortlen) {
            double mean = 0.0;
            for (size_t i = energies.size() - count; i < energies.size(); i++) mean += energies[i];
            if (count > 0) mean /= static_cast<double>(count);
            if (e > attackratio * mean) return true;
        }
        energies.push_back(e);
    }
    return false;
}

int16_t blockmodefor(bool shortframe, bool nextshort) {
    if (shortframe) return nextshort ? ALL_SHORT : SHORT_LONG;
    return nextshort ? LONG_SHORT : ALL_LONG;
}

void choosegroups(const codec* const* chans, int32_t nchan, int32_t ncoef, int32_t scfresmode,
                  int16_t* flags) {
    const int32_t nblock = chans[0]->nblock;
    std::fill(flags, flags + nblock, int16_t{0});
    flags[0] = 1;
    if (scfresmode != 1 && scfresmode != 2) return;
    std::vector<double> energy(nblock, 0.0);
    for (int32_t ch = 0; ch < nchan; ch++)
        for (int32_t b = 0; b < nblock; b++)
            for (int32_t i = 0; i < ncoef; i++)
                energy[b] += chans[ch]->mdctbuf[b][i] * chans[ch]->mdctbuf[b][i];
    double leader = energy[0];
    for (int32_t b = 1; b < nblock; b++) {
        const double tiny = 1e-30;
        if (energy[b] + tiny > groupratio * (leader + tiny) ||
            groupratio * (energy[b] + tiny) < leader + tiny) {
            flags[b] = 1;
            leader = energy[b];
        }
    }
}
