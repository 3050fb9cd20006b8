#include "codec/decoder/codec.h"

#include <algorithm>

#include "codec/decoder/allocate.h"
#include "codec/format/bands.h"
#include "codec/format/frameheader.h"
#include "codec/synthesis/windows.h"

namespace {
constexpr const char* caller = "arrayalloc_codec()";
}

int codec::arrayalloc_codec(int32_t longlen_, int32_t shortlen_, int32_t nblock_, int32_t midpoint_,
                            int32_t nband1_, int32_t nband2_) {
    longlen = longlen_;
    shortlen = shortlen_;
    nblock = nblock_;
    speclen = longlen_;
    framelen = longlen_;
    midpoint = midpoint_;
    nband1 = nband1_;
    nband2 = nband2_;
    nbandmax = static_cast<int16_t>(std::clamp<int32_t>(std::max(nband1_, nband2_), INT16_MIN, INT16_MAX));

    // Every array is tried, so that every failing one shows its message; the caller must
    // not use the decoder when any failed.
    bool ok = true;
    ok = allocaterows(mdctbuf, nblock, speclen, messages, caller, "mdctbuf") && ok;
    ok = allocaterows(mdctinit, nblock, speclen, messages, caller, "mdctinit") && ok;
    if (allocate(shortwindow, 2 * int64_t{shortlen}, messages, caller, "shortwindow"))
        makewindow(shortwindow.data(), 2 * shortlen);
    else
        ok = false;
    if (allocate(longwindow, 2 * int64_t{longlen}, messages, caller, "longwindow"))
        makewindow(longwindow.data(), 2 * longlen);
    else
        ok = false;
    ok = allocate(datai, 2 * int64_t{speclen}, messages, caller, "datai") && ok;
    ok = allocate(datar, 2 * int64_t{speclen}, messages, caller, "datar") && ok;
    ok = allocate(delaybuf, 2 * int64_t{framelen}, messages, caller, "delaybuf") && ok;
    ok = allocate(wi_buf, 2 * int64_t{speclen}, messages, caller, "wi_buf") && ok;
    ok = allocate(wr_buf, 2 * int64_t{speclen}, messages, caller, "wr_buf") && ok;
    ok = allocaterows(mdcti, nblock, speclen, messages, caller, "mdcti") && ok;
    ok = allocaterows(scf, nblock, nbandmax, messages, caller, "scf") && ok;
    ok = allocate(scfres, nblock, messages, caller, "scfres") && ok;
    ok = allocaterows(weight, nblock, nbandmax, messages, caller, "weight") && ok;
    ok = allocaterows(dweight, nblock, nbandmax, messages, caller, "dweight") && ok;
    ok = allocate(weightref, nblock, messages, caller, "weightref") && ok;
    ok = allocaterows(weightflag, nblock, nbandmax, messages, caller, "weightflag") && ok;
    ok = allocate(bndsize1, nband1, messages, caller, "bndsize1") && ok;
    ok = allocate(bndsize2, nband2, messages, caller, "bndsize2") && ok;
    return ok ? 0 : 1;
}

void codec::arrayfree_codec() {
    // Storage is returned, not just emptied: a freed decoder holds no memory.
    mdctbuf = {};
    mdctinit = {};
    shortwindow = {};
    longwindow = {};
    datai = {};
    datar = {};
    delaybuf = {};
    wi_buf = {};
    wr_buf = {};
    mdcti = {};
    scf = {};
    scfres = {};
    weight = {};
    dweight = {};
    weightref = {};
    weightflag = {};
    bndsize1 = {};
    bndsize2 = {};
}

void codec::reset_sideinfo() {
    if (!scfres.empty()) scfres[0] = 1; // the first block always starts a group
    for (size_t b = 0; b < weight.size(); b++) {
        weightref[b] = 0;
        std::fill(weight[b].begin(), weight[b].end(), int16_t{-100});
        std::fill(scf[b].begin(), scf[b].end(), int16_t{31});
    }
}

void codec::reset_spectrum() {
    for (size_t b = 0; b < mdctbuf.size(); b++) {
        std::fill(mdctinit[b].begin(), mdctinit[b].end(), 0.0);
        std::fill(mdctbuf[b].begin(), mdctbuf[b].end(), 0.0);
        std::fill(mdcti[b].begin(), mdcti[b].end(), 0);
    }
}

void codec::setsamplerate(int16_t index) {
    srindex = index;
    // An index outside the table leaves the rate as it was; the header reader rejects
    // such streams before a decoder sees them.
    if (index >= 0 && index <= 7) fs_khz = samplerate_khz(index);
}

void codec::setbands() {
    bandlayout(messages, bndsize1.data(), nband1, config.shortbandtype, config.shorterbbase, 2 * shortlen,
               fs_khz);
    bandlayout(messages, bndsize2.data(), nband2, config.longbandtype, config.longerbbase, 2 * longlen,
               fs_khz);
}

void codec::makewindow(double* table, int32_t length) const {
    if (windowshape == 0)
        sinewindow(table, length);
    else
        kbdwindow(table, kbdalpha, length);
    for (int32_t i = 0; i < length / 2; i++) table[length - 1 - i] = table[i];
}
