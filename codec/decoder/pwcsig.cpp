// The single-channel bit-plane decoders: one channel with its own grouping flags and weights.
#include "codec/decoder/significance.h"

void zatdec::pwcsig_decode(int32_t nblk, int32_t ncoef, int32_t scan, int32_t budget, int32_t runmode_,
                           int32_t runparam_, int16_t nband, const int32_t* bandsizes, int32_t wparam) {
    runpasses(*this, this, 1, 0, 0,
              {nblk, ncoef, scan, budget, runmode_, runparam_, nband, bandsizes, wparam},
              singlechannelvariant(false));
}

void zatdec::pwcsig_decode_crc(int32_t nblk, int32_t ncoef, int32_t scan, int32_t budget, int32_t runmode_,
                               int32_t runparam_, int16_t nband, const int32_t* bandsizes, int32_t wparam) {
    runpasses(*this, this, 1, 0, 0,
              {nblk, ncoef, scan, budget, runmode_, runparam_, nband, bandsizes, wparam},
              singlechannelvariant(true));
}
