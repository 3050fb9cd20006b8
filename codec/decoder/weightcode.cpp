#include "codec/decoder/weightcode.h"

int32_t mapweightcode(int32_t number, int32_t signmode, int16_t weightbits) {
    const int64_t n = number;
    int64_t d;
    if (signmode == 2) {
        const int64_t h = pow2mod32(int64_t{weightbits} - 1);
        d = n == 0 ? 0 : n == 1 ? -1 : n > h ? h - n - 1 : n - 1;
    } else {
        const bool even = n % 2 == 0;
        d = even ? n / 2 : -(n + 1) / 2;
        if (signmode == 1) d = -d;
    }
    return static_cast<int32_t>(d);
}
