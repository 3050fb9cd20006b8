#pragma once
// Decoders over payloads written out in bits: one channel, or a joint decoder with its
// two channel decoders (8 short blocks of 128; 32 bands per layout).
#include <cstdint>
#include <vector>

#include "codec/decoder/payload.h"
#include "codec/decoder/zatdec.h"
#include "codec/joint/jzat.h"
#include "tests/support/bits.h"

// Points a decoder's reader at a payload written out in bits, kept in words (plus one of
// read-ahead).
template <class decoder>
void loadpayload(decoder& dec, std::vector<uint16_t>& words, const std::string& bits) {
    words = wordsfrombits(bits, 1);
    dec.reader.wordbuf = words.data();
    dec.payloadwords = static_cast<int16_t>(words.size() - 1);
    startpayload(dec.reader, dec.payloadwords, dec.config.crclevel);
}

struct channelfixture {
    zatdec dec;
    std::vector<uint16_t> payload;

    channelfixture() {
        dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32);
        dec.config.weighton = 0;
        dec.config.reconmode = 0;
    }
    void load(const std::string& bits) { loadpayload(dec, payload, bits); }
    int32_t coef(int32_t block, int32_t index) const { return dec.mdcti[block][index]; }
};

// Long frames at 48 kHz after a long frame, weights in the passes (mode 2), 32 bands of 32
// coefficients, the synthesis writing into out.
struct longframefixture : channelfixture {
    std::vector<double> out = std::vector<double>(1024, 0.0);
    longframefixture() {
        dec.setsamplerate(7);
        dec.setbands();
        dec.bndsize2.assign(32, 32);
        dec.outbuf = out.data();
        dec.config.weighton = 1;
        dec.config.weightmode = 2;
        dec.blockmode = ALL_LONG;
        dec.lastblockmode = ALL_LONG;
    }
};

struct jointfixture {
    jzatdec joint;
    zatdec channels[2];
    std::vector<uint16_t> payload;

    jointfixture() {
        joint.jarrayalloc(1024, 128, 8, 32, 32);
        for (int ch = 0; ch < 2; ++ch) {
            zatdec& c = channels[ch];
            c.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32);
            c.setsamplerate(7);
            c.bndsize1.assign(32, 4);
            c.bndsize2.assign(32, 32);
        }
        joint.chdec = channels;
        joint.nchan = 2;
        joint.config.weighton = 0;
        joint.config.reconmode = 0;
        joint.blockmode = ALL_LONG;
    }
    void load(const std::string& bits) { loadpayload(joint, payload, bits); }
    std::vector<int32_t> coefs(int ch, int32_t block, int32_t n) const {
        const std::vector<int32_t>& row = channels[ch].mdcti[block];
        return std::vector<int32_t>(row.begin(), row.begin() + n);
    }
};
