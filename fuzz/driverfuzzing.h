#pragma once
// Shared by the driver fuzzers: the bitstream file from the input, and the files of one
// run in a directory of this process.
#include <cstdint>
#include <string>
#include <vector>

class CTonvexDoc;
class fuzzinput;

// A flags byte, then the file's bytes. Flag bit 0 repairs the header CRC of every header
// that a walk by lengths meets with its sync word, so that mutated headers still pass and
// lead into the decoders; without it the damaged-header paths are fuzzed.
std::vector<uint8_t> choosefile(CTonvexDoc& doc, fuzzinput& in);

// Paths of this process's input and output files (in memory-backed /dev/shm when there).
std::string fuzzpath(const char* name);

std::vector<uint8_t> readfilebytes(const std::string& path, bool* exists = nullptr);
void writefilebytes(const std::string& path, const std::vector<uint8_t>& bytes);
