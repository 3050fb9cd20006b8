#pragma once
// Error patterns made from a model, so that one pattern can be applied to several streams
// or codecs: the bits or frames run through a fresh two-state channel, drawing from the
// program's random source (two draws a unit).
#include <cstdint>

#include "engine/io/g192.h"

// length units: bits (errormodel 0 independent, 1 two-state) or frames (2 erasures) hit
// at the long-run rate with burstiness gamma; the independent model ignores gamma.
errorpattern makepattern(int32_t model, double rate, double gamma, int64_t length);
