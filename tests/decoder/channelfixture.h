#pragma once
// A single-channel decoder (8 short blocks of 128, 32 bands per layout) reading a payload
// built with payloadbuilder.
#include <cstdint>
#include <vector>

#include "codec/decoder/payload.h"
#include "codec/decoder/zatdec.h"
#include "tests/decoder/payloadbuilder.h"

struct channelfixture {
    zatdec dec;
    std::vector<uint16_t> payload;

    channelfixture() {
        dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32);
        dec.weighton = 0;
        dec.reconmode = 0;
    }
    // Points the reader at the payload (its words plus one of read-ahead).
    void load(const payloadbuilder& built) {
        payload = built.words(1);
        dec.wordbuf = payload.data();
        dec.payloadwords = static_cast<int16_t>(payload.size() - 1);
        startpayload(dec, dec.payloadwords);
    }
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
        dec.weighton = 1;
        dec.weightmode = 2;
        dec.blockmode = ALL_LONG;
        dec.lastblockmode = ALL_LONG;
    }
};
