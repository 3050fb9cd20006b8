#pragma once
// Where a decode's samples go when a front end takes them instead of the WAV file at
// wavpath: the sink receives the stream's layout, each channel's samples before the
// 16-bit conversion and each frame's interleaved 16-bit samples. The driver draws and
// converts exactly as for the file, so the 16-bit samples are the file's, bit for bit.
#include <cstdint>

class pcmsink {
  public:
    virtual ~pcmsink() = default;
    // Once the first header is known, before the first frame; false stops the run.
    virtual bool begin(int16_t nch, int32_t rate) = 0;
    // One channel of the frame at full scale 1.0, before the 16-bit conversion.
    virtual void channel(int16_t c, const double* samples, int32_t n) = 0;
    // The frame's interleaved 16-bit samples, channel 0 first; false on a write failure.
    virtual bool frame(const int16_t* samples, int32_t values) = 0;
};
