// The joint frame decode: resets, budget, side information, the interleaved bit-planes,
// sum/difference to left/right, and fresh concealment signs.
#include <algorithm>
#include <bit>
#include <cmath>

#include "base/random.h"
#include "base/targetclones.h"
#include "codec/decoder/codedframe.h"
#include "codec/decoder/payload.h"
#include "codec/decoder/sideinfo.h"
#include "codec/joint/jzat.h"

namespace {

int32_t channelcount(const jzat& j) {
    return std::clamp<int32_t>(j.nchan, 1, 2);
}

// One draw per sign: -1 when r/32767 <= 0.5, else +1; for the integers r that is
// r <= 16383.
void randomsigns(std::vector<int32_t>& signs, randomrun& draws) {
    draws.fill(signs.data(), static_cast<int32_t>(signs.size()));
    for (int32_t& sign : signs) sign = sign <= 16383 ? -1 : 1;
}

template <class T> void copyrow(const std::vector<T>& from, std::vector<T>& to) {
    std::copy_n(from.begin(), std::min(from.size(), to.size()), to.begin());
}

// Channel 1 decodes with channel 0's weights (and, from the side information, its groups).
void copyweights(const zatdec& from, zatdec& to, bool withgroups) {
    if (withgroups) copyrow(from.scfres, to.scfres);
    copyrow(from.weightref, to.weightref);
    const size_t rows = std::min(from.weight.size(), to.weight.size());
    for (size_t b = 0; b < rows; ++b) copyrow(from.weight[b], to.weight[b]);
}

} // namespace

void jzatdec::decode_frame() {
    startpayload(reader, payloadwords, config.crclevel);
    const int32_t channels = channelcount(*this);
    for (int32_t ch = 0; ch < channels; ++ch) {
        chdec[ch].reset_sideinfo();
        chdec[ch].reset_framespectrum();
    }
    // A joint header carries channel 0's grouping flags only; both channels use them, and
    // block 0 always starts a group.
    if (!scfres[0].empty()) {
        scfres[0][0] = 1;
        copyrow(scfres[0], scfres[1]);
    }
    if (framelost == 0 && reader.wordbuf != nullptr)
        decodepayload(channels);
    else
        blockmode = LOST_FRAME;

    // shortlen + longlen draws in every frame, lost ones too; the signs they give only
    // when asked for.
    signstate = draws().state();
    signsmade = false;
    draws().skip(concealshortsign.size() + conceallongsign.size());
}

void jzatdec::makesigns() {
    if (signsmade) return;
    randomsource from(signstate);
    randomrun run(from);
    randomsigns(concealshortsign, run);
    randomsigns(conceallongsign, run);
    signsmade = true;
}

void jzatdec::decodepayload(int32_t channels) {
    decodewords = allowedwords(budgetmode, decodewords, payloadwords, ratescale);
    reader.bitsleft = static_cast<int16_t>(16 * decodewords);
    for (int32_t ch = 0; ch < channels; ++ch) chdec[ch].nbandcoded = nbandcoded;

    if (config.weighton != 0 && (config.weightmode == 0 || config.weightmode == 1)) {
        read_sideinfo(chdec, 0, 0);
        const bool damaged = config.crcon == 1 && !sideinfointact(reader, sidecrcwords, payloadwords);
        // In every stereo frame, not only a damaged one: channel 1 has no side information.
        if (channels == 2) copyweights(chdec[0], chdec[1], true);
        if (damaged) {
            blockmode = LOST_FRAME;
            return;
        }
    } else if (config.weighton != 0 && config.weightmode == 2) {
        for (int32_t ch = 0; ch < channels; ++ch) copyrow(scfres[0], chdec[ch].scfres);
    }

    decode_spectrum();
    if (crcerror != 0 && crcerrorpos == 0) blockmode = LOST_FRAME; // the first plane failed
    if (config.weighton != 0 && channels == 2 && config.weightmode == 2)
        copyweights(chdec[0], chdec[1], false);
    if (channels == 2) sumdifference();
}

namespace {

// One past the last of the first n values that is not +0.0.
int32_t extent(const double* x, int32_t n) {
    const auto bitsof = [&](int32_t i) { return std::bit_cast<uint64_t>(x[i]); };
    while (n >= 4 && (bitsof(n - 1) | bitsof(n - 2) | bitsof(n - 3) | bitsof(n - 4)) == 0) n -= 4;
    while (n > 0 && bitsof(n - 1) == 0) --n;
    return n;
}

} // namespace

TONVEX_TARGET_CLONES void jzatdec::sumdifference() {
    const bool shortframe = isshortframe(blockmode);
    if (!shortframe && !islongframe(blockmode)) return;
    const int32_t rows = shortframe ? nblock : 1;
    const int32_t length = shortframe ? shortlen : longlen;
    const double c = std::sqrt(2.0);
    for (int32_t b = 0; b < rows; ++b) {
        double* left = chdec[0].mdctbuf[b].data();
        double* right = chdec[1].mdctbuf[b].data();
        // Where both are +0.0, (S + D)/c and (S - D)/c are +0.0 again: nothing changes.
        const int32_t end = std::max(extent(left, length), extent(right, length));
        for (int32_t k = 0; k < end; ++k) {
            const double s = left[k];
            const double d = right[k];
            left[k] = (s + d) / c;
            right[k] = (s - d) / c;
        }
    }
}

void jzatdec::read_sideinfo(zatdec* channels, int32_t a, int32_t b) {
    // The joint weight-code accumulator is 32 bits wide.
    sideinfolayout layout = sideinfolayoutof(*this, 32);
    layout.readtopplane = a == 0;
    layout.readcrcword = a == b;
    readsideinfo(reader, channels[0], topbitplane, layout);
}

void jzatdec::handover(zatdec& channel) {
    // Only a frame to be concealed or noise-filled reads the signs.
    if (blockmode == LOST_FRAME || crcerror != 0) makesigns();
    channel.blockmode = blockmode;
    channel.crcerror = crcerror;
    channel.crcerrorpos = crcerrorpos;
    channel.conceallongsign = conceallongsign.data();
    channel.concealshortsign = concealshortsign.data();
    channel.signmode = 1;
}
