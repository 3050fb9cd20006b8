// The joint bit-plane decoders and the joint spectrum: all channels' coefficients from one
// interleaved bit-plane stream, written into the channel decoders.
#include <algorithm>

#include "codec/decoder/codedframe.h"
#include "codec/joint/jzat.h"

namespace {

int32_t channelcount(const jzat& j) {
    return std::clamp<int32_t>(j.nchan, 1, scanlayout::maxchannels);
}

} // namespace

// Channel 1 shares channel 0's grouping flags, so the layout takes channel 0's.
void jzatdec::jpwc_dec(const passargs& args) {
    runpasses(*this, chdec, channelcount(*this), config.chaninterleave, config.weightshare, args,
              jointvariant(false));
}

void jzatdec::jpwc_dec_crc(const passargs& args) {
    runpasses(*this, chdec, channelcount(*this), config.chaninterleave, config.weightshare, args,
              jointvariant(true));
}

void jzatdec::decode_spectrum() {
    // Channel 0's coded bands and band tables hold for every channel.
    const framespectrum f = framespectrumof(*this, chdec[0], reader.bitsleft);
    if (!f.coded) return;
    const int32_t channels = channelcount(*this);
    for (int32_t ch = 0; ch < channels; ++ch) clearcoefficients(chdec[ch], f);
    if (f.decoder == passdecoder_kind::protectedpasses)
        jpwc_dec_crc(f.args);
    else if (f.decoder == passdecoder_kind::plain)
        jpwc_dec(f.args);
    for (int32_t ch = 0; ch < channels; ++ch) tospectrum(chdec[ch], f);
}
