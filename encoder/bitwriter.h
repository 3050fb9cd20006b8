#pragma once
// Budgeted bit writer over a block of 16-bit words, built on the packer of bitstream.
// The payload is embedded: the writer keeps the first `budget` bits of whatever the coder
// produces and drops the rest, so a field that straddles the end keeps its leading bits,
// exactly the prefix a decoder with the same budget reads.
#include <cstdint>

#include "base/bitstream.h"

class bitwriter {
  public:
    // Starts writing at words[0]; clears the nwords words so that unused bits are zero.
    void start(uint16_t* words, int32_t nwords);
    // Appends the low nbits (0..16) bits of value, most significant first.
    void put(uint32_t value, int32_t nbits);
    // Appends n zero bits.
    void zeros(int32_t n);
    bool full() const { return used >= budget; }
    int32_t bitsused() const { return used; }
    int32_t bitsleft() const { return budget - used; }
    // Stores a partial last word. Call once after the last put.
    void finish();
    uint16_t crc16(const uint16_t* words, uint32_t count) const { return packer.crc16(words, count); }

  private:
    bitstream packer;
    int32_t budget = 0, used = 0;
};
