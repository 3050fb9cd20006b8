#include "encoder/bitwriter.h"

#include <algorithm>

void bitwriter::start(uint16_t* words, int32_t nwords) {
    std::fill(words, words + nwords, uint16_t{0});
    packer.wordbuf = words;
    packer.resetbits();
    packer.curword = 0;
    budget = 16 * nwords;
    used = 0;
}

void bitwriter::put(uint32_t value, int32_t nbits) {
    const int32_t keep = std::min(nbits, budget - used);
    if (keep <= 0) return;
    const auto field = static_cast<int16_t>(static_cast<uint16_t>(value >> (nbits - keep)));
    packer.packbits(&field, 1, static_cast<int16_t>(keep));
    used += keep;
}

void bitwriter::zeros(int32_t n) {
    for (; n > 0 && !full(); n -= 16) put(0, std::min(n, 16));
}

void bitwriter::finish() {
    if (packer.bitpos != 0) packer.flushbits();
}
