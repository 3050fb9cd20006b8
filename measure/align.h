#pragma once
// The lag at which a test signal best matches its reference.
#include <cstdint>

#include "measure/audiofile.h"

inline constexpr int64_t searchlength = 1 << 20; // samples of each signal searched

// The delay in -maxlag..maxlag (test sample n + delay lines up with reference sample n)
// that maximises the cross-correlation of the channel sums over their first searchlength
// samples; the lag nearest zero on a tie.
int64_t searchdelay(const audiosignal& reference, const audiosignal& test, int64_t maxlag);
