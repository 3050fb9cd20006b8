#pragma once
// The plain reference allocation the encoder is measured against: every frame 32 coded
// bands, band weights from the band peaks blended halfway towards one weight per frame,
// bands more than 30 dB below the loudest left flat at that depth, no hearing model, and
// a transient detector on the plain energy ratio of successive short segments.
#include "encoder/streamencoder.h"

encoderhooks plainallocation();
