#pragma once
// Bit reader, bit packer and CRC-16 over 16-bit words. Fields are read and packed most
// significant bit first across word boundaries. Base of the header classes and of the
// decoder states; no virtual operations.
#include <cstdint>

class bitstream {
  public:
    bitstream();

    double ber = 0.0;            // bit error rate of packbits when injection is on
    int32_t biterrors = 0;       // bits flipped by packbits since the last resetbits
    int32_t crclevel = 0;        // unpackbits_crc copies a field when crclevel >= its level
    uint16_t* wordbuf = nullptr; // reader: words being read; packer: clean output
    uint16_t* errbuf = nullptr;  // packer: output with injected bit errors
    uint16_t* wordptr = nullptr; // next word to load (reader) or store (packer)
    uint16_t* crcptr = nullptr;  // next word of the CRC stream
    uint16_t* errptr = nullptr;  // next word to store into errbuf
    // One past the last word the reader may load. Words at or beyond it read as 0 and
    // wordptr stops there, so a hostile budget never makes the reader leave its buffer.
    // nullptr: no limit (the owner guarantees the buffer).
    const uint16_t* wordlimit = nullptr;
    uint16_t bitmask[17] = {};
    int16_t crcbitpos = 0; // bits already placed in crcacc
    int16_t bitsleft = 0;  // budget of the part being read; callers count it down
    int16_t bitpos = 0;    // bits of the current word consumed (reader) or filled (packer)
    uint16_t curword = 0;  // reader: word being consumed; packer: clean accumulator
    uint16_t crcacc = 0;   // CRC stream word being assembled
    uint16_t errword = 0;  // packer: error-injected accumulator
    uint16_t crctable[256] = {};

    void makecrctable();
    void resetbits();
    // Loads the first word of wordbuf into curword and moves wordptr to the second.
    void primereader();
    // Widths outside 0..16 show "16 bit unpacking limit" and the call reads nothing.
    void unpackbits(uint16_t* values, int32_t count, int16_t nbits);
    void unpackbits_crc(uint16_t* values, int32_t count, int16_t nbits, int32_t level);
    // One field of nbits (1..16) bits, exactly as unpackbits and unpackbits_crc read it;
    // inline, for the decoders' bit-by-bit loops.
    uint16_t readbits(int16_t nbits);
    uint16_t readbits_crc(int16_t nbits, int32_t level);

    // The reader's position copied into a local, for a loop that reads plain bits one at a
    // time: held in registers, it is not reloaded after every store the loop makes. Hand
    // it back with endcursor before the reader is used again.
    struct cursor {
        uint16_t word;
        int16_t pos;
        uint16_t* next;
        const uint16_t* limit;
        uint16_t readbit() { return takefield(word, pos, next, limit, 1, 0x8000); }
    };
    cursor startcursor() const { return {curword, bitpos, wordptr, wordlimit}; }
    void endcursor(const cursor& c) {
        curword = c.word;
        bitpos = c.pos;
        wordptr = c.next;
    }
    // Widths outside 0..16 show "16 bit packing limit" and the call writes nothing. With
    // inject on, one random_draw() is made per packed bit, flipped or not. errptr nullptr:
    // only the clean stream is written.
    void packbits(const int16_t* values, int32_t count, int16_t nbits, int32_t inject);
    // Stores a partial packer word into both streams and starts a fresh word.
    void flushbits();
    uint16_t crc16(const uint16_t* words, uint32_t count) const;

  private:
    // Words at or beyond limit read as 0.
    static uint16_t loadword(uint16_t*& next, const uint16_t* limit) {
        if (limit != nullptr && next >= limit) return 0;
        return *next++;
    }
    // The reader's step: the next nbits bits, right-aligned, with mask = bitmask[nbits].
    // The reader runs one word ahead: a field that ends on a word boundary loads the
    // following word at once, so `word` always holds the next unread bit. Takes the
    // reader's members as arguments so that the field loops can keep them in registers.
    static uint16_t takefield(uint16_t& word, int16_t& pos, uint16_t*& next, const uint16_t* limit,
                              int16_t nbits, uint16_t mask) {
        uint32_t field = (static_cast<uint32_t>(word) << pos) & mask;
        pos = static_cast<int16_t>(pos + nbits);
        if (pos >= 16) {
            const uint16_t fresh = loadword(next, limit);
            word = fresh;
            pos = static_cast<int16_t>(pos - 16);
            field |= (static_cast<uint32_t>(fresh) >> (nbits - pos)) & mask;
        }
        return static_cast<uint16_t>(field >> (16 - nbits));
    }

    // Appends a field of nbits bits to the CRC stream (a packed MSB-first copy of the
    // protected fields in reading order).
    void collectcrc(uint16_t value, int16_t nbits, uint16_t mask) {
        const uint32_t aligned = (static_cast<uint32_t>(value) << (16 - nbits)) & mask;
        crcacc = static_cast<uint16_t>(crcacc | (aligned >> crcbitpos));
        crcbitpos = static_cast<int16_t>(crcbitpos + nbits);
        if (crcbitpos >= 16) {
            *crcptr++ = crcacc;
            crcbitpos = static_cast<int16_t>(crcbitpos - 16);
            crcacc = static_cast<uint16_t>(aligned << (nbits - crcbitpos));
        }
    }
    static uint16_t fieldmask(int16_t nbits) { return static_cast<uint16_t>(0xFFFF0000u >> nbits); }
};

inline uint16_t bitstream::readbits(int16_t nbits) {
    return takefield(curword, bitpos, wordptr, wordlimit, nbits, fieldmask(nbits));
}

inline uint16_t bitstream::readbits_crc(int16_t nbits, int32_t level) {
    const uint16_t mask = fieldmask(nbits);
    const uint16_t value = takefield(curword, bitpos, wordptr, wordlimit, nbits, mask);
    if (crclevel >= level) collectcrc(value, nbits, mask);
    return value;
}
