#include "encoder/bitwriter.h"

void bitwriter::start(uint16_t* words, int32_t nwords) {
    std::fill(words, words + nwords, uint16_t{0});
    packer.start(words);
    budget = 16 * nwords;
    used = 0;
}

void bitwriter::zeros(int32_t n) {
    for (; n > 0 && !full(); n -= 32) put(0, std::min(n, 32));
}

void bitwriter::rewind(const mark& m) {
    std::fill(m.packer.next, packer.next, uint16_t{0});
    packer = m.packer;
    used = m.used;
}
