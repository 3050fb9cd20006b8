#pragma once
// framedecoder: the channel and joint decoders of one decode operation, built from the
// stream's first header, and the decode of one frame (read or lost) into the document's
// pcmfilebuf with the per-frame statistics and events. The decode has two stages that
// share no state: analyse (spectra, concealment, counts, events) and synthesise (filter
// banks and PCM conversion), so that a pipeline can run them on two threads.
#include <cstdint>
#include <vector>

#include "codec/decoder/zatdec.h"
#include "codec/joint/jzat.h"
#include "codec/synthesis/filterbank.h"
#include "engine/framerecord.h"

class streamjob;
class framereader;

// The decoders of one operation and the stream parameters they were built for.
class framedecoder {
  public:
    framedecoder(streamjob& owner, framereader& walk) : doc(owner), reader(walk) {}
    ~framedecoder() { release(); }
    framedecoder(const framedecoder&) = delete;
    framedecoder& operator=(const framedecoder&) = delete;

    // Takes the stream parameters from the first header into the document and builds the
    // decoders. Returns false when an array could not be allocated.
    bool build();
    void release();
    // Decodes the frame in framebuf (or conceals it) into pcmfilebuf: both stages at once.
    void decode(bool lost, int64_t frameno);
    // Sizes a record for the stream.
    void prepare(framerecord& record) const;

    // First stage: the frame's spectra, counts and events (through the document's hooks),
    // and in record the synthesis input of each channel, with a channel action where its
    // output belongs among the events. Jumps the random source over each channel's
    // dither draws.
    void analyse(bool lost, int64_t frameno, framerecord& record);
    // Second stage: record's actions in order, events and messages to hooks, channel
    // outputs through synthesise.
    void replay(const framerecord& record, const runhooks& hooks);
    // Second stage of one channel: its filter bank into pcm_buf, the sink's copy, and the
    // 16-bit conversion with the dither drawn from the state recorded (into pcmfilebuf
    // once replay has all channels).
    void synthesise(const framerecord& record, int16_t channel);

    int16_t nch = 1;
    int32_t rate = 48000;
    int16_t scaledlength = 8;
    int16_t channelscaled = 0;

  private:
    void analyseseparate(bool lost, int64_t frameno, framerecord& record);
    void analysejoint(bool lost, int64_t frameno, framerecord& record);
    // Hands channel c's spectrum to record and reserves its dither draws.
    void pass(int16_t c, framerecord& record);
    template <class decoderstate>
    void countpasscrc(const decoderstate& decoder, bool lost, bool concealed, int32_t channel,
                      int64_t frameno);
    void countsidecrc(const uint16_t* payload, int16_t sidecrcwords, bool lost, bool concealed);
    void countconcealed(bool concealed, int32_t channel, int64_t frameno, bool& framecounted);

    streamjob& doc;
    framereader& reader;
    int16_t srindex = 7; // the stream's, from the first header, never a damaged header's
    std::vector<zatdec> channels;
    jzatdec joint;
    std::vector<filterbank> banks; // the second stage's, one per channel
    std::vector<int16_t> planar;   // the second stage's samples, channel after channel
    framerecord single;            // decode's
};
