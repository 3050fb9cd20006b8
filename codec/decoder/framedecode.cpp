// The per-frame entry of the single-channel decoder: budget, side information, bit-planes,
// spectrum, gains and concealment of a frame of block mode 4, then the synthesis.
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
    decode_framespectrum();
    synthesis();
}

void zatdec::output_frame() {
    output_framespectrum();
    synthesis();
}

void zatdec::decode_framespectrum() {
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
    conceal_spectrum();
}

void zatdec::output_framespectrum() {
    setsamplerate(srindex);
    apply_weights();
    conceal_spectrum();
}

synthesisframe zatdec::takespectrum(double* flat, int32_t& written) {
    if (isshortmode(blockmode)) {
        for (int32_t b = 0; b < nblock; b++) std::copy_n(mdctbuf[b].begin(), shortlen, flat + b * shortlen);
        written = std::max(written, nblock * shortlen);
    } else if (islongmode(blockmode)) {
        const int32_t extent = nonzeroextent(mdctbuf[0].data(), longlen);
        std::copy_n(mdctbuf[0].begin(), extent, flat);
        if (written > extent) std::fill(flat + extent, flat + written, 0.0);
        written = extent;
    }
    const synthesisframe frame{blockmode, lastblockmode};
    lastblockmode = blockmode;
    return frame;
}

void zatdec::synthesis() {
    int32_t written = flatlength(); // whatever an earlier frame left
    bank.run(synthesisinput.data(), takespectrum(synthesisinput.data(), written), outbuf);
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
