#pragma once
// The bit reader's position as a bit offset from a word, for loops that look at the next
// 64 bits at once (a whole zero run, its remainder and a sign in one look) instead of
// reading them bit by bit. It reads only words that lie before the reader's limit; where
// that cannot be promised, the caller reads bit by bit with the reader itself.
#include <cstdint>

#include "base/bitstream.h"

class bitwindow {
  public:
    // Takes over the reader's position; false (and nothing taken) when the reader's state
    // is not that of a word loaded from memory, as at its limit.
    bool take(const bitstream& reader) {
        if (reader.wordptr == nullptr || reader.wordptr == reader.wordbuf) return false;
        base = reader.wordptr - 1;
        limit = reader.wordlimit;
        pos = reader.bitpos;
        return limit != nullptr && base < limit && *base == reader.curword;
    }
    // Hands the position back; the reader goes on exactly as if it had read the bits.
    void give(bitstream& reader) const {
        uint16_t* word = base + (pos >> 4);
        reader.curword = *word;
        reader.wordptr = word + 1;
        reader.bitpos = static_cast<int16_t>(pos & 15);
    }
    // The next 64 bits can be looked at without passing the limit (never without one: the
    // owner of an unlimited buffer vouches only for the bits the reader reads).
    bool canpeek() const { return limit != nullptr && base + (pos >> 4) + 5 <= limit; }
    // The next 64 bits, the first in the top bit (only when canpeek).
    uint64_t peek() const {
        const uint16_t* w = base + (pos >> 4);
        const uint64_t head = (uint64_t{w[0]} << 48) | (uint64_t{w[1]} << 32) | (uint64_t{w[2]} << 16) | w[3];
        const int32_t shift = static_cast<int32_t>(pos & 15);
        return shift == 0 ? head : (head << shift) | (w[4] >> (16 - shift));
    }
    void skip(int32_t nbits) { pos += nbits; }

  private:
    uint16_t* base = nullptr;        // the word holding bit 0 of pos
    const uint16_t* limit = nullptr; // words at or beyond it are never read
    int64_t pos = 0;
};
