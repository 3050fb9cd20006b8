#include "codec/decoder/sideinfo.h"

#include <algorithm>

#include "codec/decoder/fieldreader.h"

void readsideinfo(bitstream& reader, zatdec& target, int16_t& topbitplane, const sideinfolayout& layout) {
    int32_t budget = reader.bitsleft;
    // The budget rule: true when the field was granted (and paid for).
    auto granted = [&budget](int32_t width) {
        width = std::max(width, 0);
        if (budget < width) {
            budget = 0;
            return false;
        }
        budget -= width;
        return true;
    };
    auto read = [&reader](int32_t nbits) { return readfield(reader, nbits); };

    if (layout.readtopplane) topbitplane = granted(5) ? static_cast<int16_t>(read(5)) : int16_t{0};

    const bool shortframe = isshortframe(layout.blockmode);
    const int32_t nblocks =
        shortframe ? std::clamp<int32_t>(layout.nblock, 0, static_cast<int32_t>(target.scfres.size())) : 1;
    if (shortframe && (layout.config.scfresmode == 1 || layout.config.scfresmode == 2) && nblocks > 1 &&
        granted(nblocks - 1))
        for (int32_t b = 1; b < nblocks; ++b) target.scfres[b] = static_cast<int16_t>(read(1));

    const int32_t nbands = std::clamp<int32_t>(layout.nbandcoded, 0, target.nbandmax);
    const int32_t weightbits = std::max<int32_t>(layout.code.weightbits, 0);
    for (int32_t b = 0; b < nblocks; ++b) {
        if (b != 0 && target.scfres[b] == 0) continue; // only group leaders carry weights
        if (granted(layout.config.weightrefbits))
            target.weightref[b] = static_cast<int16_t>(read(layout.config.weightrefbits));
        std::vector<int16_t>& weights = target.weight[b];
        if (layout.config.weightmode == 0) {
            if (granted(nbands * weightbits))
                for (int32_t j = 0; j < nbands; ++j) weights[j] = static_cast<int16_t>(read(weightbits));
        } else {
            // Band 0 has no code: its gain follows from the reference alone.
            for (int32_t j = 1; j < nbands; ++j) {
                const weightcoderesult code = readweightcode(read, budget, layout.code, cutfield::zerobudget);
                // Stored even when the budget ran out inside the code.
                weights[j] = static_cast<int16_t>(
                    mapweightcode(code.number, layout.code.signmode, layout.code.weightbits));
            }
        }
    }

    if (layout.config.crcon == 1 && layout.readcrcword) {
        if (reader.bitpos != 0) {
            const int32_t fill = 16 - reader.bitpos;
            read(fill);
            budget -= fill;
        }
        read(16); // checked over the covered payload words by the frame decode
        budget -= 16;
    }
    reader.bitsleft = static_cast<int16_t>(std::max<int32_t>(budget, INT16_MIN));
}

void zatdec::read_sideinfo() {
    // The single-channel weight-code accumulator is 16 bits wide.
    readsideinfo(reader, *this, topbitplane, sideinfolayoutof(*this, 16));
}
