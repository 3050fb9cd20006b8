#include "codec/joint/jzat.h"

#include <algorithm>

#include "codec/decoder/allocate.h"

namespace {
constexpr const char* caller = "jzat::jarrayalloc()";
}

int jzat::jarrayalloc(int32_t longlen_, int32_t shortlen_, int32_t nblock_, int32_t nband1_,
                      int32_t nband2_) {
    longlen = longlen_;
    shortlen = shortlen_;
    nblock = nblock_;
    maxcoef = longlen_;
    nband1 = nband1_;
    nband2 = nband2_;
    nbandmax = std::max(nband1_, nband2_);
    // Two rows of grouping flags whatever nchan is: the header's flags are copied between them.
    bool ok = allocate(scfres[0], nblock, messages, caller, "scfres[chan]");
    ok = allocate(scfres[1], nblock, messages, caller, "scfres[chan]") && ok;
    ok = allocate(conceallongsign, longlen, messages, caller, "conceallongsign") && ok;
    ok = allocate(concealshortsign, shortlen, messages, caller, "concealshortsign") && ok;
    return ok ? 0 : 1;
}
