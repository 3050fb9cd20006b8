// The per-frame entry of the single-channel decoder: budget, side information, bit-planes,
// spectrum and gains, then the synthesis (which conceals a frame of block mode 4).
#include <algorithm>

#include "codec/decoder/codedframe.h"
#include "codec/decoder/payload.h"
#include "codec/decoder/zatdec.h"

void zatdec::reset_framespectrum() {
    for (size_t b = 0; b < mdctbuf.size(); b++) {
        const int32_t read = b == 0 ? std::max(shortlen, longlen) : shortlen;
        std::fill_n(mdctbuf[b].begin(), std::clamp<int64_t>(read, 0, std::ssize(mdctbuf[b])), 0.0);
    }
}

void zatdec::decode_frame() {
    startpayload(reader, payloadwords, config.crclevel);
    reset_sideinfo();
    reset_framespectrum();
    if (framelost == 0 && reader.wordbuf != nullptr) {
        decodewords = allowedwords(budgetmode, decodewords, payloadwords, ratescale);
        reader.bitsleft = static_cast<int16_t>(16 * decodewords);
        setsamplerate(srindex);
        bool damaged = false;
        if (config.weighton == 1 && (config.weightmode == 0 || config.weightmode == 1)) {
            read_sideinfo();
            damaged = config.crcon == 1 && !sideinfointact(reader, sidecrcwords, payloadwords);
        }
        if (damaged) {
            blockmode = LOST_FRAME;
        } else {
            decode_spectrum();
            if (crcerror == 1 && crcerrorpos == 0) blockmode = LOST_FRAME; // the top plane failed
        }
    } else {
        blockmode = LOST_FRAME;
    }
    synthesis();
    lastblockmode = blockmode;
}

void zatdec::output_frame() {
    setsamplerate(srindex);
    apply_weights();
    synthesis();
    lastblockmode = blockmode;
}

void zatdec::decode_spectrum() {
    const framespectrum f = framespectrumof(*this, *this, reader.bitsleft);
    if (!f.coded) return;
    clearcoefficients(*this, f);
    if (f.decoder == passdecoder_kind::protectedpasses)
        pwcsig_decode_crc(f.args);
    else if (f.decoder == passdecoder_kind::plain)
        pwcsig_decode(f.args);
    tospectrum(*this, f);
    if (config.weighton == 1) apply_weights();
}
