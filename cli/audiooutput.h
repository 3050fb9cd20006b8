#pragma once
// The audio file a decode writes: WAV by default (16-bit samples exactly as the window
// writes them; 24-bit and 32-bit float from the samples before the 16-bit conversion),
// or FLAC, AIFF, CAF, RF64 and W64 through libsndfile. A WAV written where it cannot go
// back to its header (a pipe) announces the unknown lengths the usual way, 0xFFFFFFFF.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "engine/io/pcmsink.h"

enum class audioformat { wav, flac, aiff, caf, rf64, w64 };
enum class samplebits { pcm16, pcm24, float32 };

// Samples the encoder's analysis and synthesis add before the signal: --trim drops them.
inline constexpr int32_t codecdelay = 1024;

struct audiochoice {
    audioformat format = audioformat::wav;
    samplebits bits = samplebits::pcm16;
    bool trim = false;
};

// From --format, else the output name's extension (WAV when it names none of the
// formats); throws usageerror for an unknown format or bits the format cannot hold.
audiochoice chooseaudio(const std::string& output, const std::optional<std::string>& format,
                        const std::optional<std::string>& bits, bool trim);
std::string formatname(audioformat format);
// Whether the format's size fields stop at 32 bits.
bool has32bitsizes(audioformat format);
int bytespersample(samplebits bits);
// Formats other than WAV need to go back to their header at the end.
bool needsseeking(audioformat format);

class audiosink : public pcmsink {
  public:
    // Completes the file (its header); false on a write failure.
    virtual bool finish() = 0;
    // Sample frames (one sample of every channel) written so far.
    int64_t written() const { return samples; }

  protected:
    int64_t samples = 0;
};

// A sink writing to out; seekable: out can go back to rewrite a header.
std::unique_ptr<audiosink> makeaudiosink(std::FILE* out, bool seekable, const audiochoice& choice);
