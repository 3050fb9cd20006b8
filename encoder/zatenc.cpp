#include "encoder/zatenc.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "codec/format/frameheader.h"
#include "encoder/maskingmodel.h"
#include "encoder/weightquant.h"

namespace {

// std::round(x) within +-2147483647, without the library call: held within +-2^31 first,
// x truncates to an integer exactly, and its fraction decides the rounding, halves away
// from zero.
int32_t roundtointeger(double x) {
    const double held = std::clamp(x, -2147483648.0, 2147483648.0);
    const auto whole = static_cast<int64_t>(held);
    const double fraction = held - static_cast<double>(whole);
    const int64_t rounded = whole + (fraction >= 0.5 ? 1 : 0) - (fraction <= -0.5 ? 1 : 0);
    return static_cast<int32_t>(std::clamp<int64_t>(rounded, -2147483647, 2147483647));
}

} // namespace

int zatenc::setup(const encodersettings& s, int16_t index) {
    const int32_t framesamples = 1024;
    const int32_t shortsamples = shortblocklength(index);
    const int32_t blocks = framesamples / shortsamples;
    config = s.coding;
    if (arrayalloc_codec(framesamples, shortsamples, blocks, framesamples / 2 + shortsamples / 2, 32, 32) !=
        0)
        return 1;
    setsamplerate(index);
    setbands();
    filterbank = std::make_unique<analysis>(longlen, shortlen, longwindow.data(), shortwindow.data());
    desired.assign(nblock, std::vector<double>(nbandmax, 0.0));
    peak = desired;
    bandgain = desired;
    return 0;
}

int32_t zatenc::codedcoefs() const {
    const int32_t* sizes = bandsizes();
    int32_t n = 0;
    for (int32_t j = 0; j < nbandcoded; j++) n += sizes[j];
    return n;
}

void zatenc::analyse(const double* span) {
    filterbank->transform(span, blockmode, lastblockmode, mdctbuf);
}

void zatenc::maskweights() {
    const int32_t blocklen = isshortmode(blockmode) ? shortlen : longlen;
    forgroups([&](int32_t g, int32_t e) {
        maskingweights(mdctbuf, g, e, bandsizes(), nbandcoded, blocklen, fs_khz, config.weightstep,
                       desired[g].data());
    });
}

void zatenc::measurepeaks() {
    forgroups(
        [&](int32_t g, int32_t e) { bandpeaks(mdctbuf, g, e, bandsizes(), nbandcoded, peak[g].data()); });
}

void zatenc::realise() {
    forgroups([&](int32_t g, int32_t) {
        realiseweights(*this, g, desired[g].data(), peak[g].data(), bandgain[g].data(), lift);
    });
}

int16_t zatenc::quantise() {
    const int32_t* sizes = bandsizes();
    const int32_t blocklen = isshortmode(blockmode) ? shortlen : longlen;
    const double fullscale = 2147483647.0;
    uint32_t largest = 0;
    forgroups([&](int32_t g, int32_t e) {
        for (int32_t b = g; b < e; b++) {
            int32_t i = 0;
            for (int32_t j = 0; j < nbandcoded; j++) {
                const double scale = fullscale / bandgain[g][j];
                for (int32_t end = i + sizes[j]; i < end; i++) {
                    mdcti[b][i] = roundtointeger(mdctbuf[b][i] * scale);
                    largest = std::max(largest, static_cast<uint32_t>(std::abs(mdcti[b][i])));
                }
            }
            std::fill(mdcti[b].begin() + i, mdcti[b].begin() + blocklen, 0);
        }
    });
    // A coefficient of magnitude 1 still needs plane 0 coded: top plane 0 means "nothing".
    if (largest <= 1) return static_cast<int16_t>(largest);
    return static_cast<int16_t>(std::bit_width(largest) - 1);
}
