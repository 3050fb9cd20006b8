#pragma once
// Shared by the driver tests: a document in a fresh temporary directory, a frame window
// and a message box that record what the drivers show, and helpers that build, damage and
// read back bitstream and WAV files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "base/message.h"

struct recordingwindow : framewindow {
    std::vector<int32_t> progress;
    int infocalls = 0;
    void windowinitL(int32_t value) override { progress.push_back(value); }
    void windowinfoL() override { infocalls += 1; }
};

class drivertest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A file name inside the test's directory.
    std::string path(const std::string& name) const;
    // Points the document at input (in the test's directory) and output names.
    void usefiles(const std::string& input, const std::string& wav, const std::string& scaled = "out_s.ztb");
    bool shown(const std::string& message) const;

    CTonvexDoc doc;
    recordingwindow window;
    std::vector<std::string> messages;
    std::filesystem::path dir;

  private:
    framewindow* previouswindow = nullptr;
    messagehandler previoushandler;
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

std::vector<uint8_t> readbytes(const std::string& file);
void writebytes(const std::string& file, const std::vector<uint8_t>& bytes);
std::vector<uint16_t> readwordsfile(const std::string& file);
void writewordsfile(const std::string& file, const std::vector<uint16_t>& words);
// The offsets in words of the frames of a stream, walking the length fields of headers
// that are known to be intact.
std::vector<size_t> frameoffsets(const std::vector<uint16_t>& stream, int16_t H = 5);

// A WAV file as the decode driver writes it.
struct wavfile {
    uint32_t riffsize = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t datasize = 0;
    std::vector<int16_t> samples;
};
wavfile readwav(const std::string& file);

// The shipped conformance vectors.
std::string vectorpath(const std::string& name);
