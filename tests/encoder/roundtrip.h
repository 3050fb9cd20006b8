#pragma once
// Shared by the encoder tests: synthetic signals, a fresh temporary directory, encoding
// through encodefile and decoding through the document's decode driver (dither off,
// configuration copied from the encoder settings), SNR after the codec delay.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CTonvexDoc.h"
#include "encoder/encodersettings.h"
#include "tests/support/documenttest.h"
#include "tests/support/files.h"

// Interleaved samples at full scale 1.0.
struct testsignal {
    int channels = 1;
    int rate = 48000;
    std::vector<double> samples;
    size_t frames() const { return samples.size() / channels; }
};

testsignal sine(int rate, double hz, double amplitude, double seconds);
// Harmonic tones with attack-decay envelopes, a noise bed, single clicks and a roll of
// clicks (consecutive short-block frames).
testsignal musiclike(int rate, int channels, double seconds);

class encodertest : public documenttest {
  protected:
    // No encode or decode shows a message: refusals come back as the error text.
    void TearDown() override {
        EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
        documenttest::TearDown();
    }
    // Writes the testsignal as a WAV file of doubles and encodes it; returns encodefile's result.
    int encode(const testsignal& s, const encodersettings& settings, const std::string& name = "in");
    // Decodes name.ztb with the document set up like the encoder; interleaved output.
    std::vector<double> decode(const encodersettings& settings, const std::string& name = "in",
                               double scaledkbps = 0.0);
    // SNR in dB of decoded output against the input delayed by one frame.
    static double snr(const testsignal& in, const std::vector<double>& out);
    // Encodes, decodes and measures.
    double roundtripsnr(const testsignal& s, const encodersettings& settings);

    std::string error;
};
void writewavfile(const std::string& file, const testsignal& s);
