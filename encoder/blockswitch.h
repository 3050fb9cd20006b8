#pragma once
// Block switching: an attack detector over the short-block region of a frame's span, the
// block mode of every frame from its own and its successor's need for short blocks (so
// only legal sequences arise), and the grouping of a short-block frame's blocks.
#include <cstdint>

#include "codec/decoder/codec.h"

// True when the part of the span (2*framelen samples, full scale 1.0) that the short
// blocks cover holds an attack: a segment of shortlen samples whose high-passed energy
// exceeds ten times the mean of the up to four segments before it.
bool hasattack(const double* span, int32_t framelen, int32_t shortlen);

// Block mode of a frame: short frames become ALL_SHORT or SHORT_LONG, long frames
// ALL_LONG or LONG_SHORT, by whether the next frame is short.
int16_t blockmodefor(bool shortframe, bool nextshort);

// Grouping flags of a short-block frame (flags[0] = 1 always): a block starts a new group
// when the energy of its first ncoef coefficients, summed over the channels, differs by
// more than 6 dB from its group leader's. With scfresmode 0 no flags travel, and the
// frame is one group.
void choosegroups(const codec* const* chans, int32_t nchan, int32_t ncoef, int32_t scfresmode,
                  int16_t* flags);
