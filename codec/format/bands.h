#pragma once
// Band layouts: the sizes of the bands of a short or a long block, uniform or on an
// ERB scale. Encoder and decoder must build identical tables.
#include <cstdint>

// total is twice the block length; type 0 is uniform, anything else ERB with base p.
void bandlayout(int32_t* sizes, int32_t nband, int32_t type, double p, int32_t total, double fs_khz);
void uniformbands(int32_t* sizes, int32_t nband, int32_t total);
void erbbands(int32_t* sizes, int32_t nband, double p, int32_t total, double fs_khz);
