#include "engine/errors/bursthistogram.h"

void bursthistogram::recordword(uint16_t flipped) {
    if (flipped == 0 && open == 0) return;
    for (int b = 15; b >= 0; b--) record(((flipped >> b) & 1u) != 0);
}

void bursthistogram::close() {
    if (open > 0) closed[open] += 1;
    open = 0;
}

std::map<int64_t, int64_t> bursthistogram::counts() const {
    std::map<int64_t, int64_t> all = closed;
    if (open > 0) all[open] += 1;
    return all;
}

int64_t bursthistogram::bursts() const {
    int64_t n = 0;
    for (const auto& [length, count] : counts()) n += count;
    return n;
}

int64_t bursthistogram::hits() const {
    int64_t n = 0;
    for (const auto& [length, count] : counts()) n += length * count;
    return n;
}

double bursthistogram::meanlength() const {
    const int64_t n = bursts();
    return n > 0 ? static_cast<double>(hits()) / static_cast<double>(n) : 0.0;
}
