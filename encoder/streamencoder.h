#pragma once
// The stream encoder: frames of PCM in, frames of a .ztb bitstream out, one frame at a
// time (memory does not grow with the input). A frame is a header packed by
// encodeheader::pack and a payload of constant length cut at its bit budget.
//
// Delay: decoded frame t holds input samples (t-1)*framelen .. t*framelen-1, so the
// decoder's output lags the input by framelen (1024) samples; the encoder itself codes
// frame t once frame t+1 has arrived (its block-switching look-ahead).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/format/frameheader.h"
#include "encoder/bitplanecoder.h"
#include "encoder/bitwriter.h"
#include "encoder/encodersettings.h"
#include "encoder/zatenc.h"

// Frame length in words for a bitrate, by the rule of the document's scaledframelen:
// floor(framelen * kbps / (fs_khz * 16) + 0.5), clamped to 8..511.
int16_t framewordsforbitrate(double kbps, double fs_khz);

// Choices a comparison may put in place of the encoder's own (empty: the encoder's).
struct encoderhooks {
    // Desired weights, in weight steps, of the nband coded bands of a group from their
    // largest coefficients (of sum and difference under joint coding); the encoder's own
    // are one level for all bands, or the masking model's.
    std::function<void(const double* peak, int32_t nband, double step, double* desired)> weights;
    // Whether the short-block region of span (2*framelen samples) holds an attack.
    std::function<bool(const double* span, int32_t framelen, int32_t shortlen)> attack;
};

class streamencoder {
  public:
    static constexpr int32_t framelen = 1024;
    static constexpr int32_t delay = framelen; // decoded output behind the input, in samples

    // Checks the settings for the input and sets up the channel encoders; returns an
    // empty string, or why the input or configuration cannot be coded.
    std::string open(const encodersettings& settings, int channels, int srindex);
    void sethooks(encoderhooks h) { hooks = std::move(h); }

    // One frame of input: framelen samples per channel, input[ch], full scale 1.0 (NaN is
    // taken as 0, values beyond full scale as full scale).
    // Appends the frame that this completes (if any) to out.
    void push(const double* const* input, std::vector<uint16_t>& out);
    // After the last input (nsamples per channel in all): codes silence until the
    // decoder will have put out every input sample.
    void finish(int64_t nsamples, std::vector<uint16_t>& out);

    int16_t framewords() const { return words; }
    int16_t headerwords() const { return hwords; }
    int64_t framescoded() const { return coded; }

  private:
    void codeframe(std::vector<uint16_t>& out);
    void choosemodes();
    void prepareweights();
    void chooseweights(zatenc& c) const;
    void realisejoint();
    void fittoppass();
    // The bit-plane coder of coding unit k (channel k, or both under joint coding) takes
    // in the frame.
    void preparecoder(int k);
    bitplaneconfig planeconfig() const;
    void writepayload();
    // Empty planes above the top plane of coding unit k (planes high) for scaled streams.
    int16_t raisefor(int k, int16_t planes, int32_t slice);
    // Coding units of a frame (1 joint, else the channels), and the payload bits of one
    // at the scale floor (more than any frame holds without a floor).
    int units() const;
    int32_t floorbits() const;
    // Whether frames may take empty planes above the top: pass CRCs over in-band weights,
    // and a payload above the floor's.
    bool roomabovetop() const;
    void packheader();
    int32_t groupbudget() const;
    int16_t automaticbands() const;

    encodersettings cfg;
    encoderhooks hooks;
    int nch = 1;
    int16_t srindex = 7;
    int16_t hwords = 5, words = 8;
    zatenc chans[2];
    std::vector<double> history[2]; // input frames t-1, t, t+1 around frame t
    int64_t pushed = 0, coded = 0;
    bool pendingshort = false;
    int16_t top[2] = {};
    encodeheader header;
    bitplanecoder coder[2];
    bool prepared[2] = {};
    bitwriter writer;
    std::vector<uint16_t> frame;
    bitwriter scratchwriter; // a trial coding of a frame's first planes
    std::vector<uint16_t> scratch;
};
