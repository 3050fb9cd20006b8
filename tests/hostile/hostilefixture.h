#pragma once
// Shared by the damaged-stream suite: the conformance streams with the settings they were
// coded with, ways to damage their words, and a run of the decode (or scale) driver that
// judges the outcome: a valid WAV file, or a failure the user was told about, within a
// bounded number of frames for the input's size.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "codec/format/frameheader.h"
#include "tests/support/files.h"
#include "tests/support/frames.h"

// A conformance stream and the settings it decodes with.
struct hostilestream {
    std::string name;
    std::string settings; // blank-separated name=value pairs
};
// A small set covering joint and separate coding, the three weight modes, CRC off, mono,
// 32 kHz (16 short blocks) and 11.025 kHz.
const std::vector<hostilestream>& hostilestreams();

std::vector<uint16_t> loadstream(const std::string& name);

// Header configuration of a stream's settings (H, joint coding, weight mode ...).
decodeheader headerfor(const std::string& settings);
// Reads the header at offset, lets change alter its fields and packs it back with a
// fresh CRC.
void patchheader(std::vector<uint16_t>& words, size_t offset, const decodeheader& config,
                 const std::function<void(frameheader&)>& change);

// Flips each bit with probability rate; returns the number flipped.
int flipbits(std::vector<uint16_t>& words, double rate, std::mt19937& random);
// Overwrites bits [first, first + count) with ones, zeros or random bits.
enum class burstfill { zeros, ones, random };
void burst(std::vector<uint16_t>& words, size_t first, size_t count, burstfill fill, std::mt19937& random);

struct runoutcome {
    bool completed = false;
    int messages = 0;
    std::string lastmessage;
    std::string failure; // empty when the outcome is acceptable
};

class hostiletest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Decodes bytes with the settings; judges the WAV file and the frame count.
    runoutcome decode(const std::vector<uint8_t>& bytes, const std::string& settings);
    // Scales bytes to the bitrate; the output must be a stream of intact, consecutively
    // numbered frames that decodes without a failure.
    runoutcome scale(const std::vector<uint8_t>& bytes, const std::string& settings, double kbps);

    std::filesystem::path dir;
};

// Fails the current test with the outcome's reason and what was being tried.
#define EXPECT_SOUND(outcome, what) EXPECT_EQ((outcome).failure, "") << (what)
