// The libFuzzer hook of one fuzz executable; TONVEX_FUZZ_ENTRY names its entry point.
#include "fuzz/fuzzentries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return TONVEX_FUZZ_ENTRY(data, size);
}
