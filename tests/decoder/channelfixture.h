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
