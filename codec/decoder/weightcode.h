#pragma once
// The weight code: a Golomb-style prefix code for band weights, used by the side
// information (weight mode 1) and by the in-band weights of the significance passes.
//
// A code is a run of 0 bits ended by a 1 bit, then a suffix of w bits. Every 0 adds
// 2^k to the code number (wstepmode 0), or 2^k' with k' growing by one per 0 (wstepmode
// 1, suffix width k'). The number is then mapped to a signed weight.
#include <cstdint>

struct weightcodeparams {
    int32_t k = 2;          // code parameter (wparamshort / wparamlong)
    int32_t stepmode = 0;   // wstepmode
    int32_t signmode = 0;   // wsignmode 0, 1, or 2 (2 only defined for the side information)
    int16_t weightbits = 4; // width of a fixed-length weight; sets the range of wsignmode 2
    // Width of the code-number accumulator, 16 or 32. The single-channel decoder keeps it
    // in 16 bits, the joint decoder in 32; both wrap modulo their width.
    int32_t accumulatorbits = 16;
};

// What to do when the budget cannot hold a suffix (or an in-band weight reference).
enum class cutfield {
    zerobudget, // single-channel decoder: the budget becomes 0, nothing more is read
    drainbits,  // joint decoder: the remaining bits are read one by one and dropped
};

struct weightcoderesult {
    int32_t number = 0;    // the code number, wrapped to the accumulator width
    bool complete = false; // the code ended with its 1 bit and the whole suffix was read
};

// 2^e modulo 2^32 (0 for e >= 32 or e < 0): the code's steps never trap on a wide exponent.
inline uint32_t pow2mod32(int64_t e) {
    return (e >= 0 && e < 32) ? (uint32_t{1} << e) : 0u;
}

// Signed weight of a code number (integer division truncates toward zero).
//   wsignmode 0: 0, -1, 1, -2, 2, ...   wsignmode 1: 0, 1, -1, 2, -2, ...
//   wsignmode 2 with H = 2^(weightbits-1): 0 -> 0, 1 -> -1, n > H -> H - n - 1, else n - 1.
int32_t mapweightcode(int32_t number, int32_t signmode, int16_t weightbits);

// Reads one code. read(n) returns the next n bits as an unsigned value (n may exceed 16);
// the caller's budget counts in bits and is lowered by every bit read. The first bit is
// read whatever the budget holds; the prefix goes on only while the budget is positive
// (a negative budget counts as exhausted).
template <class reader>
weightcoderesult readweightcode(reader&& read, int32_t& budget, const weightcodeparams& p, cutfield cut) {
    uint32_t number = 0;
    int32_t width = p.k;
    uint32_t c = read(1);
    budget -= 1;
    while (c == 0 && budget > 0) {
        if (p.stepmode == 0) {
            number += pow2mod32(p.k);
        } else {
            number += pow2mod32(width);
            width += width < INT32_MAX ? 1 : 0;
        }
        c = read(1);
        budget -= 1;
    }
    bool complete = false;
    if (c == 1) {
        if (width < 0) width = 0;
        if (budget < width) {
            if (cut == cutfield::zerobudget) {
                budget = 0;
            } else {
                for (; budget > 0; --budget) read(1);
            }
        } else {
            number += read(width);
            budget -= width;
            complete = true;
        }
    }
    const int32_t wrapped =
        p.accumulatorbits == 16 ? static_cast<int16_t>(number) : static_cast<int32_t>(number);
    return {wrapped, complete};
}
