#include "codec/decoder/zatdec.h"

#include "codec/decoder/allocate.h"

namespace {
constexpr const char* caller = "arrayalloc_zatdec()";
}

zatdec::zatdec() : codec() {
    kbdalpha = 3.0;
    windowshape = 1;
    runparammin = 1;
    lastblockmode = 0;
}

int zatdec::arrayalloc_zatdec(int32_t longlen_, int32_t shortlen_, int32_t nblock_, int32_t midpoint_,
                              int32_t nband1_, int32_t nband2_) {
    bool ok = arrayalloc_codec(longlen_, shortlen_, nblock_, midpoint_, nband1_, nband2_) == 0;
    ok = allocate(lastgoodlong, longlen, messages, caller, "lastgoodlong") && ok;
    ok = allocate(lastgoodshort, shortlen, messages, caller, "lastgoodshort") && ok;
    return ok ? 0 : 1;
}

void zatdec::arrayfree_zatdec() {
    arrayfree_codec();
    lastgoodlong = {};
    lastgoodshort = {};
}
