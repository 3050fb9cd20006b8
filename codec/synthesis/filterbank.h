#pragma once
// The synthesis filter bank of one channel: the inverse transforms of a frame's spectrum,
// windowed and overlap-added with the delay line into framelen samples. It owns all the
// state the synthesis carries from frame to frame, so that it can run apart from the
// spectrum decoding (on another thread), frames in order.
#include <cstdint>
#include <vector>

class codec;

// The block modes of the frame to synthesise: its own (after concealment) and the
// previous frame's.
struct synthesisframe {
    int16_t blockmode = 0;
    int16_t previousmode = 0;
};

class filterbank {
  public:
    // Sizes the delay line and the transform workspace for the channel's geometry and
    // copies its windows. False, after the allocation messages under caller's name, when
    // an array could not be allocated.
    bool allocate(const codec& channel, const char* caller);
    void release();

    // One frame from spectrum (the short blocks b at b * shortlen, or the long block at 0;
    // see zatdec::takespectrum) into out (framelen doubles, full scale +-1.0): nblock
    // short or one long inverse transform, windowed and overlap-added. A long frame after
    // ALL_SHORT or LONG_SHORT, and a frame still marked lost, leave out and the delay line
    // untouched. When frame f's long transform covers input samples (f-1)F..(f+1)F-1 (its
    // short blocks start at P), output frame f is that input delayed by F = framelen.
    void run(const double* spectrum, synthesisframe frame, double* out);

  private:
    // Windows short block b (times shortlen) into delaybuf; after the last block the frame
    // goes to out.
    void overlap_short(double* out, int32_t b, int16_t previousmode);
    // Windows the long block (times longlen) with the long or the stop window into out.
    void overlap_long(double* out, int16_t previousmode);

    int32_t longlen = 0, shortlen = 0, nblock = 0, framelen = 0;
    std::vector<double> shortwindow, longwindow;
    std::vector<double> delaybuf;
    std::vector<double> wi_buf, wr_buf;
};
