#include "engine/handover.h"

#include "app/CTonvexDoc.h"
#include "codec/decoder/zatdec.h"
#include "codec/joint/jzat.h"

namespace {

// The coefficient-decoding settings, common to a separately coded channel decoder and the
// joint decoder (both have the same fields for them).
template <class decoderclass> void handover_coefficients(const CTonvexDoc& doc, decoderclass& decoder) {
    decoder.budgetmode = doc.outputbitratemode;
    decoder.crcon = doc.crcon;
    decoder.scanmode = doc.scanmode;
    decoder.runmode = doc.runmode;
    decoder.runparam = doc.runparam;
    decoder.refinefirst = doc.refinefirst;
    decoder.recon0 = doc.recon0;
    decoder.recon1 = doc.recon1;
    decoder.reconmode = doc.reconmode;
    decoder.crclevel = doc.crclevel;
}

// The weight-code settings, also common to both kinds of decoder.
template <class decoderclass> void handover_weights(const CTonvexDoc& doc, decoderclass& decoder) {
    decoder.scfresmode = doc.scfresmode;
    decoder.weighton = doc.weighton;
    decoder.weightmode = doc.weightmode;
    decoder.weightbits = doc.weightbits;
    decoder.weightrefbits = doc.weightrefbits;
    decoder.wstepmode = doc.wstepmode;
    decoder.wsignmode = doc.wsignmode;
    decoder.wpredmode = doc.wpredmode;
    decoder.wparamshort = doc.wparamshort;
    decoder.wparamlong = doc.wparamlong;
}

} // namespace

void handover_channel_once(const CTonvexDoc& doc, zatdec& decoder, int16_t srindex) {
    decoder.setsamplerate(srindex);
    decoder.shortbandtype = doc.shortbandtype;
    decoder.longbandtype = doc.longbandtype;
    decoder.shorterbbase = doc.shorterbbase;
    decoder.longerbbase = doc.longerbbase;
    decoder.setbands();
    decoder.lastblockmode = doc.initblockmode == 1 ? ALL_LONG : ALL_SHORT;
}

void handover_channel_frame(const CTonvexDoc& doc, zatdec& decoder, bool joint) {
    handover_weights(doc, decoder);
    decoder.weightstep = doc.weightstep;
    decoder.concealmethod = doc.concealmethod;
    decoder.concealatten_on = doc.concealatten_on;
    decoder.concealatten = doc.concealatten;
    decoder.signrandom_on = doc.signrandom_on;
    decoder.noisestart = doc.noisestart;
    decoder.fillthreshold = doc.fillthreshold;
    if (joint) {
        decoder.signstored_on = doc.signstored_on;
        return;
    }
    handover_coefficients(doc, decoder);
}

void handover_joint_frame(const CTonvexDoc& doc, jzatdec& decoder) {
    handover_weights(doc, decoder);
    decoder.weightshare = doc.weightshare;
    decoder.chaninterleave = doc.chaninterleave;
    handover_coefficients(doc, decoder);
}
