#pragma once
// A joint decoder with two channel decoders (8 short blocks of 128; bands of 4 in short
// blocks and of 32 in the long block), reading a payload built with payloadbuilder.
#include <cstdint>
#include <vector>

#include "codec/decoder/payload.h"
#include "codec/joint/jzat.h"
#include "tests/decoder/payloadbuilder.h"

struct jointfixture {
    jzatdec joint;
    zatdec channels[2];
    std::vector<uint16_t> payload;
    std::vector<double> out[2] = {std::vector<double>(1024, 0.0), std::vector<double>(1024, 0.0)};

    jointfixture() {
        joint.jarrayalloc(1024, 128, 8, 32, 32);
        for (int ch = 0; ch < 2; ++ch) {
            zatdec& c = channels[ch];
            c.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32);
            c.setsamplerate(7);
            c.bndsize1.assign(32, 4);
            c.bndsize2.assign(32, 32);
            c.outbuf = out[ch].data();
        }
        joint.chdec = channels;
        joint.nchan = 2;
        joint.weighton = 0;
        joint.reconmode = 0;
        joint.blockmode = ALL_LONG;
    }
    // Weights in the passes with pass CRCs, interleaved channels, run mode 0, a long frame
    // with one coded band of 32 and top plane 1.
    void passweights() {
        joint.weighton = 1;
        joint.weightmode = 2;
        joint.crcon = 1;
        joint.weightshare = 1;
        joint.chaninterleave = 1;
        joint.runmode = 0;
        joint.topbitplane = 1;
        joint.nbandcoded = 1;
    }
    // Points the reader at the payload (its words plus one of read-ahead).
    void load(const payloadbuilder& built) {
        payload = built.words(1);
        joint.wordbuf = payload.data();
        joint.payloadwords = static_cast<int16_t>(payload.size() - 1);
        startpayload(joint, joint.payloadwords);
    }
    std::vector<int32_t> coefs(int ch, int32_t block, int32_t n) const {
        const std::vector<int32_t>& row = channels[ch].mdcti[block];
        return std::vector<int32_t>(row.begin(), row.begin() + n);
    }
};
