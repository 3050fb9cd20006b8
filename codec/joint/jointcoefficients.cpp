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
void jzatdec::jpwc_dec(int32_t nblk, int32_t ncoef, int32_t scan, int32_t budget, int32_t runmode_,
                       int32_t runparam_, int16_t nband, const int32_t* bandsizes, int32_t wparam) {
    runpasses(*this, chdec, channelcount(*this), chaninterleave, weightshare,
              {nblk, ncoef, scan, budget, runmode_, runparam_, nband, bandsizes, wparam},
              jointvariant(false));
}

void jzatdec::jpwc_dec_crc(int32_t nblk, int32_t ncoef, int32_t scan, int32_t budget, int32_t runmode_,
                           int32_t runparam_, int16_t nband, const int32_t* bandsizes, int32_t wparam) {
    runpasses(*this, chdec, channelcount(*this), chaninterleave, weightshare,
              {nblk, ncoef, scan, budget, runmode_, runparam_, nband, bandsizes, wparam}, jointvariant(true));
}

void jzatdec::decode_spectrum() {
    // Channel 0's coded bands and band tables hold for every channel.
    const framespectrum f = framespectrumof(*this, chdec[0], bitsleft);
    if (!f.coded) return;
    const int32_t channels = channelcount(*this);
    for (int32_t ch = 0; ch < channels; ++ch) clearcoefficients(chdec[ch], f);
    const passargs& a = f.args;
    if (f.decoder == passdecoder_kind::protectedpasses)
        jpwc_dec_crc(a.nblk, a.ncoef, a.scan, a.budget, a.runmode, a.runparam, a.nband, a.bandsizes,
                     a.wparam);
    else if (f.decoder == passdecoder_kind::plain)
        jpwc_dec(a.nblk, a.ncoef, a.scan, a.budget, a.runmode, a.runparam, a.nband, a.bandsizes, a.wparam);
    for (int32_t ch = 0; ch < channels; ++ch) tospectrum(chdec[ch], f);
}
