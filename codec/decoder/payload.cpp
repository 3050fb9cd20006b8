#include "codec/decoder/payload.h"

#include <algorithm>
#include <cmath>

int16_t usablepayload(int16_t payloadwords) {
    return std::clamp<int16_t>(payloadwords, 0, maxpayloadwords);
}

void startpayload(bitstream& reader, int16_t payloadwords, int32_t crclevel) {
    reader.resetbits();
    reader.crclevel = crclevel;
    if (reader.wordbuf == nullptr) return;
    reader.wordlimit = reader.wordbuf + usablepayload(payloadwords) + 1;
    reader.primereader();
}

int16_t allowedwords(int32_t budgetmode, int16_t decodewords, int16_t payloadwords, double ratescale) {
    const int16_t payload = usablepayload(payloadwords);
    if (budgetmode != 1) return payload;
    const double scaled = std::floor(decodewords * ratescale + 0.5);
    if (!(scaled > 0.0)) return 0; // also a NaN scale
    return scaled >= payload ? payload : static_cast<int16_t>(scaled);
}

bool sideinfointact(const bitstream& reader, int16_t sidecrcwords, int16_t payloadwords) {
    if (sidecrcwords < 0 || sidecrcwords > usablepayload(payloadwords) || reader.wordbuf == nullptr)
        return false;
#ifdef TONVEX_FUZZ_ACCEPT_CRC
    // Fuzzing builds take damaged side information as intact, so that mutated inputs
    // reach the weights and bit-planes behind the check.
    return true;
#else
    return reader.crc16(reader.wordbuf, static_cast<uint32_t>(sidecrcwords)) == 0;
#endif
}
