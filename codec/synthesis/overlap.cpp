// Block switching, windowing and overlap-add.
//
// delaybuf (D) between frames: after a long frame, the raw second half of its transform
// output (unwindowed, unscaled); after a short frame, entries 0..Q-1 hold the windowed
// and scaled tails of the last short blocks and Q..F-1 are zero. D[F..2F-1] is scratch
// for short frames: its stale contents are overwritten before they are read.
//
// Scale: imdct returns (2/N) sum, and every windowed value is multiplied by the
// transform's M, so a frame holds w[n] sum_k X[k] cos(...), full scale within +-1.0.
#include "codec/decoder/zatdec.h"
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

overlapview viewof(zatdec& dec) {
    return {dec.shortlen,
            dec.longlen,
            ((dec.nblock - 1) * dec.shortlen) / 2,
            ((dec.nblock + 1) * dec.shortlen) / 2,
            dec.delaybuf.data(),
            dec.wr_buf.data(),
            dec.shortwindow.data(),
            dec.longwindow.data()};
}

} // namespace

void zatdec::synthesis() {
    conceal_spectrum();
    if (isshortmode(blockmode)) {
        for (int32_t b = 0; b < nblock; b++) {
            load_block(b, 2 * shortlen);
            imdct(wr_buf.data(), wi_buf.data(), (shortlen + 1) / 2.0, 2 * shortlen);
            overlap_short(outbuf, b);
        }
    } else if (islongmode(blockmode)) {
        load_block(0, 2 * longlen);
        imdct(wr_buf.data(), wi_buf.data(), (longlen + 1) / 2.0, 2 * longlen);
        overlap_long(outbuf);
    }
    // A frame still marked lost (nothing to repeat) produces no output.
}

void zatdec::load_block(int32_t b, int32_t n) {
    const double* row = mdctbuf[b].data();
    for (int32_t i = 0; i < n / 2; i++) wr_buf[i] = row[i];
}

void zatdec::overlap_short(double* out, int32_t b) {
    const auto [ms, ml, p, q, d, wr, ws, wl] = viewof(*this);

    if (b == 0 && (lastblockmode == LONG_SHORT || lastblockmode == CONCEALED_LONG)) {
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

void zatdec::overlap_long(double* out) {
    const auto [ms, ml, p, q, d, wr, ws, wl] = viewof(*this);

    switch (lastblockmode) {
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
