#include "encoder/sideinfo.h"

#include "encoder/weightcode.h"

namespace {

bool carriesgroupflags(const codec& c) {
    return isshortmode(c.blockmode) && (c.config.scfresmode == 1 || c.config.scfresmode == 2);
}

int32_t wparam(const codec& c) {
    return isshortmode(c.blockmode) ? c.config.wparamshort : c.config.wparamlong;
}

weightcode codeofband(const codec& c, int32_t g, int32_t j) {
    const uint32_t n = weightcodenumber(c.weight[g][j], c.config.wsignmode, 1 << (c.config.weightbits - 1));
    return makeweightcode(n, wparam(c), c.config.wstepmode);
}

// Calls body(g) for every group leader of the frame.
template <class F> void forleaders(const codec& c, F&& body) {
    if (!isshortmode(c.blockmode)) {
        body(0);
        return;
    }
    for (int32_t b = 0; b < c.nblock; b++)
        if (b == 0 || c.scfres[b] != 0) body(b);
}

} // namespace

int32_t sideinfobits(const codec& c) {
    int32_t bits = 5;
    if (carriesgroupflags(c)) bits += c.nblock - 1;
    forleaders(c, [&](int32_t g) {
        bits += c.config.weightrefbits;
        if (c.config.weightmode == 0) {
            bits += c.config.weightbits * c.nbandcoded;
        } else {
            for (int32_t j = 1; j < c.nbandcoded; j++) {
                const weightcode code = codeofband(c, g, j);
                bits += code.zeros + 1 + code.suffixbits;
            }
        }
    });
    return bits;
}

int16_t writesideinfo(bitwriter& out, const uint16_t* words, const codec& c) {
    out.put(static_cast<uint32_t>(c.topbitplane), 5);
    if (carriesgroupflags(c))
        for (int32_t b = 1; b < c.nblock; b++) out.put(c.scfres[b] != 0 ? 1 : 0, 1);
    forleaders(c, [&](int32_t g) {
        out.put(static_cast<uint32_t>(c.weightref[g]), c.config.weightrefbits);
        if (c.config.weightmode == 0) {
            for (int32_t j = 0; j < c.nbandcoded; j++)
                out.put(static_cast<uint32_t>(c.weight[g][j]), c.config.weightbits);
            return;
        }
        for (int32_t j = 1; j < c.nbandcoded; j++) {
            const weightcode code = codeofband(c, g, j);
            out.zeros(code.zeros);
            out.put(1, 1);
            out.put(code.suffix, code.suffixbits);
        }
    });
    if (c.config.crcon != 1) return 0;
    if (out.bitsused() % 16 != 0) out.zeros(16 - out.bitsused() % 16);
    const int32_t nwords = out.bitsused() / 16;
    out.put(out.crc16(words, static_cast<uint32_t>(nwords)), 16);
    return static_cast<int16_t>(nwords + 1);
}
