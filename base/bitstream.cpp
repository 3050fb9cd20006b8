#include "base/bitstream.h"

#include "base/message.h"
#include "base/random.h"

namespace {

bool validwidth(int16_t nbits) {
    return nbits >= 0 && nbits <= 16;
}

// Out of line so that the field loops keep a light prologue.
[[gnu::cold, gnu::noinline]] void widthfault(const char* text) {
    showmessage(text);
}

} // namespace

bitstream::bitstream() {
    for (int n = 0; n <= 16; ++n) bitmask[n] = static_cast<uint16_t>(0xFFFF0000u >> n);
    makecrctable();
}

void bitstream::makecrctable() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 8;
        for (int k = 0; k < 8; ++k) c = (c & 0x8000u) ? ((c << 1) ^ 0x1021u) & 0xFFFFu : (c << 1) & 0xFFFFu;
        crctable[i] = static_cast<uint16_t>(c);
    }
}

void bitstream::resetbits() {
    bitpos = 0;
    wordptr = wordbuf;
    errptr = errbuf;
    biterrors = 0;
}

void bitstream::primereader() {
    curword = loadword(wordptr, wordlimit);
}

void bitstream::unpackbits(uint16_t* values, int32_t count, int16_t nbits) {
    if (!validwidth(nbits)) {
        widthfault("16 bit unpacking limit");
        return;
    }
    const uint16_t mask = bitmask[nbits];
    uint16_t word = curword;
    int16_t pos = bitpos;
    uint16_t* next = wordptr;
    for (int32_t i = 0; i < count; ++i) values[i] = takefield(word, pos, next, wordlimit, nbits, mask);
    curword = word;
    bitpos = pos;
    wordptr = next;
}

void bitstream::unpackbits_crc(uint16_t* values, int32_t count, int16_t nbits, int32_t level) {
    if (!validwidth(nbits)) {
        widthfault("16 bit unpacking limit");
        return;
    }
    const uint16_t mask = bitmask[nbits];
    const bool protect = crclevel >= level;
    for (int32_t i = 0; i < count; ++i) {
        values[i] = takefield(curword, bitpos, wordptr, wordlimit, nbits, mask);
        if (protect) collectcrc(values[i], nbits, mask);
    }
}

void bitstream::packbits(const int16_t* values, int32_t count, int16_t nbits, int32_t inject) {
    if (!validwidth(nbits)) {
        widthfault("16 bit packing limit");
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        // The low nbits bits of the value, left-aligned; higher bits are dropped.
        const uint32_t clean =
            (static_cast<uint32_t>(static_cast<uint16_t>(values[i])) << (16 - nbits)) & bitmask[nbits];
        uint32_t damaged = clean;
        if (inject != 0) {
            // One draw per bit, most significant first, whether or not the bit flips.
            for (int j = 0; j < nbits; ++j) {
                const int r = random_draw();
                if (1.0 - r / 32767.0 < ber) {
                    damaged ^= 1u << (15 - j);
                    ++biterrors;
                }
            }
        }
        curword = static_cast<uint16_t>(curword | (clean >> bitpos));
        errword = static_cast<uint16_t>(errword | (damaged >> bitpos));
        bitpos = static_cast<int16_t>(bitpos + nbits);
        if (bitpos >= 16) {
            *wordptr++ = curword;
            if (errptr != nullptr) *errptr++ = errword;
            bitpos = static_cast<int16_t>(bitpos - 16);
            curword = static_cast<uint16_t>(clean << (nbits - bitpos));
            errword = static_cast<uint16_t>(damaged << (nbits - bitpos));
        }
    }
}

void bitstream::flushbits() {
    if (bitpos == 0) return;
    *wordptr++ = curword;
    if (errptr != nullptr) *errptr++ = errword;
    bitpos = 0;
    curword = 0;
    errword = 0;
}

uint16_t bitstream::crc16(const uint16_t* words, uint32_t count) const {
    uint32_t crc = 0;
    auto feed = [&](uint32_t byte) { crc = crctable[(byte ^ (crc >> 8)) & 0xFFu] ^ ((crc & 0xFFu) << 8); };
    for (uint32_t i = 0; i < count; ++i) {
        feed(words[i] >> 8);
        feed(words[i] & 0xFFu);
    }
    return static_cast<uint16_t>(crc);
}
