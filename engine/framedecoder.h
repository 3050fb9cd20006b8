#pragma once
// framedecoder: the channel and joint decoders of one decode operation, built from the
// stream's first header, and the decode of one frame (read or lost) into the document's
// pcmfilebuf with the per-frame statistics and events.
#include <cstdint>
#include <vector>

#include "codec/decoder/zatdec.h"
#include "codec/joint/jzat.h"

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
    // Decodes the frame in framebuf (or conceals it) into pcmfilebuf.
    void decode(bool lost, int64_t frameno);

    int16_t nch = 1;
    int32_t rate = 48000;
    int16_t scaledlength = 8;
    int16_t channelscaled = 0;

  private:
    void decodeseparate(bool lost, int64_t frameno);
    void decodejoint(bool lost, int64_t frameno);
    void convert(int16_t channel);
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
};
