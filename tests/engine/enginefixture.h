#pragma once
// Shared by the engine tests: a document in a fresh temporary directory with the window and
// message box stood in for, and helpers that build bitstreams and read back WAV files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CTonvexDoc.h"
#include "tests/support/documenttest.h"
#include "tests/support/files.h"
#include "tests/support/frames.h"

class drivertest : public documenttest {
  protected:
    // Points the document at input (in the test's folder) and output names.
    void usefiles(const std::string& input, const std::string& wav, const std::string& scaled = "out_s.ztb");
    // Writes the stream as in.ztb and decodes it from a fresh random state; out.wav's samples.
    std::vector<int16_t> decode(const std::vector<uint16_t>& stream);
};

// One frame as the header writer packs it, with a payload of a fixed pattern.
struct framespec {
    int16_t index = 0;
    int16_t words = 20;
    int16_t channels = 1;
    int16_t srindex = 7;
    int16_t blockmode = 1;
    int16_t codedbands = 32;
    int16_t bitplanes = 10;
    int32_t jointcoding = 1;
    uint16_t fill = 0x5A5A;
};
std::vector<uint16_t> packframe(const framespec& spec);
// Consecutive frames alike but for their index, indices counting from 0 modulo 16.
std::vector<uint16_t> packframes(framespec spec, int count);

// The samples of a 16-bit WAV file as the decode driver writes it (44-byte header).
std::vector<int16_t> readwav(const std::string& file);

// The shipped conformance vectors.
std::string vectorpath(const std::string& name);
