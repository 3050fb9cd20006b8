// The single-channel bit-plane decoders: one channel with its own grouping flags and weights.
#include "codec/decoder/significance.h"

void zatdec::pwcsig_decode(const passargs& args) {
    runpasses(*this, this, 1, 0, 0, args, singlechannelvariant(false));
}

void zatdec::pwcsig_decode_crc(const passargs& args) {
    runpasses(*this, this, 1, 0, 0, args, singlechannelvariant(true));
}
