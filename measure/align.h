#pragma once
// The lag at which a test signal best matches its reference.
#include <cstdint>

#include "measure/audiofile.h"

// The delay in -maxlag..maxlag (test sample n + delay lines up with reference sample n)
// that maximises the cross-correlation of the channel sums; the lag nearest zero on a tie.
int64_t searchdelay(const audiosignal& reference, const audiosignal& test, int64_t maxlag);
