#include "joint/jzat.h"

#include <algorithm>
#include <new>
#include <string>

#include "bitstream/message.h"

jzat::jzat() {
    runparammin = 1;
}

jzatdec::jzatdec() {
    reconmode = 4;
}

namespace {

// Allocates a zeroed array; on failure shows the message and reports it.
template <class T> bool allocate(std::vector<T>& array, int32_t size, const std::string& failure) {
    try {
        array.assign(static_cast<size_t>(std::max<int32_t>(size, 0)), T{});
        return true;
    } catch (const std::bad_alloc&) {
        showmessage(failure);
        return false;
    }
}

} // namespace

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
    bool ok = allocate(scfres[0], nblock, "jzat::jarrayalloc(): scfres[chan] not allocated");
    ok = allocate(scfres[1], nblock, "jzat::jarrayalloc(): scfres[chan] not allocated") && ok;
    ok = allocate(conceallongsign, longlen, "jzat::jarrayalloc(): conceallongsign not allocated") && ok;
    ok = allocate(concealshortsign, shortlen, "jzat::jarrayalloc(): concealshortsign not allocated") && ok;
    return ok ? 0 : 1;
}
