// Block switching, windowing and overlap-add.
//
// delaybuf (D) between frames: after a long frame, the raw second half of its transform
// output (unwindowed, unscaled); after a short frame, entries 0..Q-1 hold the windowed
// and scaled tails of the last short blocks and Q..F-1 are zero. D[F..2F-1] is scratch
// for short frames: its stale contents are overwritten before they are read.
//
// Scale: imdct returns (2/N) sum, and every windowed value is multiplied by the
// transform's M, so a frame holds w[n] sum_k X[k] cos(...), full scale within +-1.0.
#include "codec/synthesis/filterbank.h"

#include <algorithm>

#include "base/targetclones.h"
#include "codec/decoder/allocate.h"
#include "codec/decoder/codec.h"
#include "codec/synthesis/imdct.h"

namespace {

// The block lengths, the placement of the short blocks and the buffers of one channel.
// The first short window of a frame of B blocks of MS starts at P = ((B - 1)*MS)/2 and
// its second half at Q = ((B + 1)*MS)/2, so that the short windows are centred where the
// halves of a long window meet.
struct overlapview {
    int32_t ms, ml, p, q;
    double* d;
    const double *wr, *ws, *wl;
};

overlapview viewof(int32_t shortlen, int32_t longlen, int32_t nblock, std::vector<double>& delaybuf,
                   const std::vector<double>& wr_buf, const std::vector<double>& shortwindow,
                   const std::vector<double>& longwindow) {
    return {shortlen,
            longlen,
            ((nblock - 1) * shortlen) / 2,
            ((nblock + 1) * shortlen) / 2,
            delaybuf.data(),
            wr_buf.data(),
            shortwindow.data(),
            longwindow.data()};
}

} // namespace

bool filterbank::allocate(const codec& channel, const char* caller) {
    longlen = channel.longlen;
    shortlen = channel.shortlen;
    nblock = channel.nblock;
    framelen = channel.framelen;
    bool ok = true;
    ok = ::allocate(shortwindow, std::ssize(channel.shortwindow), channel.messages, caller, "shortwindow") &&
         ok;
    ok = ::allocate(longwindow, std::ssize(channel.longwindow), channel.messages, caller, "longwindow") && ok;
    ok = ::allocate(delaybuf, 2 * int64_t{framelen}, channel.messages, caller, "delaybuf") && ok;
    ok = ::allocate(wi_buf, 2 * int64_t{channel.speclen}, channel.messages, caller, "wi_buf") && ok;
    ok = ::allocate(wr_buf, 2 * int64_t{channel.speclen}, channel.messages, caller, "wr_buf") && ok;
    if (!ok) return false;
    std::copy(channel.shortwindow.begin(), channel.shortwindow.end(), shortwindow.begin());
    std::copy(channel.longwindow.begin(), channel.longwindow.end(), longwindow.begin());
    return true;
}

void filterbank::release() {
    *this = filterbank{};
}

void filterbank::run(const double* spectrum, synthesisframe frame, double* out) {
    if (isshortmode(frame.blockmode)) {
        for (int32_t b = 0; b < nblock; b++) {
            std::copy_n(spectrum + b * shortlen, shortlen, wr_buf.data());
            imdct(wr_buf.data(), wi_buf.data(), (shortlen + 1) / 2.0, 2 * shortlen);
            overlap_short(out, b, frame.previousmode);
        }
    } else if (islongmode(frame.blockmode)) {
        std::copy_n(spectrum, longlen, wr_buf.data());
        imdct(wr_buf.data(), wi_buf.data(), (longlen + 1) / 2.0, 2 * longlen);
        overlap_long(out, frame.previousmode);
    }
    // A frame still marked lost (nothing to repeat) produces no output.
}

void filterbank::overlap_short(double* out, int32_t b, int16_t previousmode) {
    const auto [ms, ml, p, q, d, wr, ws, wl] =
        viewof(shortlen, longlen, nblock, delaybuf, wr_buf, shortwindow, longwindow);

    if (b == 0 && (previousmode == LONG_SHORT || previousmode == CONCEALED_LONG)) {
        // The raw long tail gets the second half of the start window (P ones, the falling
        // short half, then zeros) and the long scale.
        for (int32_t i = 0; i < p; i++) {
            d[i] = ml * d[i];
            d[q + i] = 0.0;
        }
        for (int32_t i = 0; i < ms; i++) d[p + i] = (ml * ws[ms + i]) * d[p + i];
    }

    const int32_t s = p + b * ms;
    const int32_t t = q + b * ms;
    for (int32_t i = 0; i < ms; i++) {
        d[s + i] = ((wr[i] * ws[i]) * ms) + d[s + i];
        d[t + i] = (wr[ms + i] * ws[ms + i]) * ms;
    }

    if (b == nblock - 1) {
        const int32_t f = framelen;
        for (int32_t i = ((3 * nblock + 1) * ms) / 2; i < 2 * f; i++) d[i] = 0.0;
        for (int32_t i = 0; i < f; i++) {
            out[i] = d[i];
            d[i] = d[f + i];
        }
    }
}

TONVEX_TARGET_CLONES void filterbank::overlap_long(double* out, int16_t previousmode) {
    const auto [ms, ml, p, q, d, wr, ws, wl] =
        viewof(shortlen, longlen, nblock, delaybuf, wr_buf, shortwindow, longwindow);

    switch (previousmode) {
    case ALL_LONG:
    case CONCEALED_LONG:
        for (int32_t i = 0; i < ml; i++) {
            out[i] = (d[i] * wl[ml + i] + wr[i] * wl[i]) * ml;
            d[i] = wr[ml + i];
        }
        break;
    case SHORT_LONG:
    case CONCEALED_SHORT:
        // Stop window: zeros for P samples, the rising short half, then ones.
        for (int32_t i = 0; i < ms; i++) d[p + i] = ((wr[p + i] * ws[i]) * ml) + d[p + i];
        for (int32_t i = 0; i < p; i++) d[q + i] = ml * wr[q + i];
        for (int32_t i = 0; i < ml; i++) {
            out[i] = d[i];
            d[i] = wr[ml + i];
        }
        break;
    default:
        // After a short frame that expected more short frames, or after nothing: no
        // window fits, and the frame is not written.
        break;
    }
}
