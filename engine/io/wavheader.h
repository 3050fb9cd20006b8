#pragma once
// The 44-byte RIFF/WAVE header of a 16-bit PCM file: "RIFF", "WAVE", one "fmt " chunk and
// the "data" chunk header, every number little-endian whatever the host.
#include <cstdint>
#include <cstdio>

inline constexpr int wavheaderbytes = 44;

// Writes the header at the file's current position, field by field. Sizes are computed
// in 64 bits and stored modulo 2^32: the caller keeps the data within the 32-bit size
// fields. Returns 0 when every field was written, 1 at the first short write (the
// remaining fields are not attempted).
int writewavheader(std::FILE* file, std::int16_t nch, std::int64_t samples, std::int32_t rate,
                   std::int16_t bits);
