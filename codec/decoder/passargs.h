#pragma once
// What one frame's bit-plane decode covers: blocks, coefficients, scan, budget and bands.
#include <cstdint>

struct passargs {
    int32_t nblk = 1;   // blocks
    int32_t ncoef = 0;  // coded coefficients per block
    int32_t scan = 0;   // scan order of short blocks
    int32_t budget = 0; // bits that may be read; negative counts as exhausted
    int32_t runmode = 2;
    int32_t runparam = 1;
    int16_t nband = 0; // coded bands
    const int32_t* bandsizes = nullptr;
    int32_t wparam = 2; // weight-code parameter k
};
