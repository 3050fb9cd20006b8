#pragma once
// Error-pattern files in the G.192 format: 16-bit words, low byte first. A bit-error
// pattern is a sequence of softbits, 0x007F for a bit that stays and 0x0081 for a bit
// that is flipped, in the order the bits travel (most significant bit of each stream
// word first). A frame-erasure pattern holds one synchronisation word per frame, 0x6B21
// for a frame that arrives and 0x6B20 for one that is erased. A file is one kind or the
// other, never a mix.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr uint16_t g192_softzero = 0x007F; // bit kept
inline constexpr uint16_t g192_softone = 0x0081;  // bit flipped
inline constexpr uint16_t g192_goodframe = 0x6B21;
inline constexpr uint16_t g192_erasedframe = 0x6B20;

struct errorpattern {
    enum kinds { bits, frames };
    kinds kind = bits;
    std::vector<uint8_t> marks; // 1: flip this bit / erase this frame
};

// The pattern in path; without a value, error says why the file cannot be used.
std::optional<errorpattern> readpattern(const std::string& path, std::string& error);
// Writes the pattern as G.192 words; false when the file cannot be written completely.
bool writepattern(const std::string& path, const errorpattern& pattern);
