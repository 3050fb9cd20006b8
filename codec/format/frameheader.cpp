#include "codec/format/frameheader.h"

#include <algorithm>
#include <bit>

namespace {

constexpr int16_t bandlimit = 32;

// The header's bit budget in 16-bit arithmetic; a nonsensical length gives no budget.
int16_t headerbudget(int16_t headerwords) {
    return static_cast<int16_t>(std::clamp(16 * static_cast<int32_t>(headerwords), 0, 32767));
}

// Repeats of the per-channel part: once per frame under joint coding. Never more than the
// two channels the arrays hold, whatever the channel field says.
int perchannelcount(const frameheader& header) {
    return header.config.jointcoding != 0 ? 1 : std::clamp<int>(header.channels, 0, 2);
}

// Grouping flags travel in the header only in short-block frames with weights in the passes.
bool shortgroups(const frameheader& header) {
    return (header.blockmode == 0 || header.blockmode == 3) &&
           (header.config.scfresmode == 1 || header.config.scfresmode == 2);
}

// A field of the header reader: read only when the budget holds all its bits, otherwise
// the budget is spent and the field reads as 0.
uint16_t readfield(decodeheader& header, int16_t nbits) {
    if (header.bitsleft < nbits) {
        header.bitsleft = 0;
        return 0;
    }
    uint16_t value = 0;
    header.unpackbits(&value, 1, nbits);
    header.bitsleft = static_cast<int16_t>(header.bitsleft - nbits);
    return value;
}

// Fills the rest of the writer's budget with zero bits.
void padbudget(encodeheader& header) {
    const int16_t zero = 0;
    for (; header.bitsleft > 0; --header.bitsleft) header.packbits(&zero, 1, 1);
}

// A field of the header writer: where it does not fit, the rest of the budget is padded
// instead, so the packer never passes the header's last word.
void packfield(encodeheader& header, int32_t value, int16_t nbits) {
    if (header.bitsleft < nbits) {
        padbudget(header);
        return;
    }
    const auto field = static_cast<int16_t>(value);
    header.packbits(&field, 1, nbits);
    header.bitsleft = static_cast<int16_t>(header.bitsleft - nbits);
}

// Flags 1..nblock-1 of one channel; flags past the 16 the arrays hold travel as 0.
int32_t groupflagcount(const frameheader& header) {
    return std::max(header.nblock - 1, 0);
}

} // namespace

double samplerate_khz(int srindex) {
    static constexpr double rates[8] = {11.025, 12, 16, 22.05, 24, 32, 44.1, 48};
    return srindex >= 0 && srindex < 8 ? rates[srindex] : 0.0;
}

int shortblocklength(int srindex) {
    return srindex == 4 || srindex == 5 ? 64 : 128;
}

const char* blockmodename(int blockmode) {
    static constexpr const char* names[4] = {"ALL_SHORT", "ALL_LONG", "LONG_SHORT", "SHORT_LONG"};
    return blockmode >= 0 && blockmode < 4 ? names[blockmode] : "?";
}

int16_t headerwords_for(int32_t weighton, int32_t weightmode, int32_t jointcoding) {
    if (weighton != 0 && weightmode == 2) return 5;
    return jointcoding != 0 ? 4 : 5;
}

void frameheader::setsizes() {
    shortlen = shortblocklength(srindex);
    nblock = framelen / shortlen;
    maxlongbands = bandlimit;
    maxshortbands = bandlimit;
    maxbands = std::max(maxlongbands, maxshortbands);
}

int16_t frameheader::codedbandsbits() const {
    int16_t width = 1;
    while (width < 15 && (1 << width) < maxbands) ++width;
    return width;
}

void decodeheader::read() {
    resetbits();
    primereader();
    bitsleft = headerbudget(headerwords);

    const uint16_t sync = readfield(*this, 16);
    syncfound = std::popcount(static_cast<unsigned>(sync ^ syncword)) <= synctolerance || sync == syncword;

    frameindex = static_cast<int16_t>(readfield(*this, 4));
    if (frameindex < 0 || frameindex > 15) messages("decodeheader::read(): frame index out of range");
    framewords = static_cast<int16_t>(readfield(*this, 9));
    lengthok = framewords >= 8 && framewords <= maxframewords;
    channels = static_cast<int16_t>(readfield(*this, 1) + 1);
    if (channels < 1 || channels > 2) {
        messages("decodeheader::read(): number of channels not supported");
        return;
    }
    srindex = static_cast<int16_t>(readfield(*this, 3));
    if (srindex < 0 || srindex > 7) {
        messages("decodeheader::read(): illegal sample rate");
        return;
    }
    setsizes();
    blockmode = static_cast<int16_t>(readfield(*this, 2));
    const int32_t bands = readfield(*this, codedbandsbits()) + 1;
    codedbands = static_cast<int16_t>(std::clamp<int32_t>(bands, 1, std::max<int16_t>(maxbands, 1)));

    const int n = perchannelcount(*this);
    if (config.weighton == 0) {
        for (int ch = 0; ch < n; ++ch) bitplanes[ch] = static_cast<int16_t>(readfield(*this, 5));
        return;
    }
    if (config.weightmode != 2) {
        for (int ch = 0; ch < n; ++ch) crcwords[ch] = static_cast<int16_t>(readfield(*this, 8));
        return;
    }
    for (int ch = 0; ch < n; ++ch) bitplanes[ch] = static_cast<int16_t>(readfield(*this, 5));
    for (int ch = 0; ch < n; ++ch) {
        int16_t* flags = groupflags[ch];
        if (blockmode == 1 || blockmode == 2) {
            // Long-block frames form one group.
            std::fill(flags, flags + 16, int16_t{0});
            flags[0] = 1;
        } else if (shortgroups(*this)) {
            flags[0] = 1;
            const int32_t count = groupflagcount(*this);
            const bool fits = bitsleft >= count;
            if (!fits) bitsleft = 0;
            for (int32_t k = 1; k <= count; ++k) {
                const auto flag = static_cast<int16_t>(fits ? readfield(*this, 1) : 0);
                if (k < 16) flags[k] = flag;
            }
        }
    }
}

void encodeheader::pack() {
    // A header needs at least its sync word and its CRC word.
    if (headerwords < 2) {
        messages("header packing overflow");
        return;
    }
    resetbits();
    curword = 0;
    bitsleft = headerbudget(headerwords);

    packfield(*this, syncword, 16);
    packfield(*this, frameindex, 4);
    packfield(*this, framewords, 9);
    packfield(*this, channels - 1, 1);
    packfield(*this, srindex, 3);
    packfield(*this, blockmode, 2);
    packfield(*this, std::clamp<int32_t>(codedbands - 1, 0, std::max(maxbands - 1, 0)), codedbandsbits());

    const int n = perchannelcount(*this);
    if (config.weighton == 0) {
        for (int ch = 0; ch < n; ++ch) packfield(*this, bitplanes[ch], 5);
    } else if (config.weightmode != 2) {
        for (int ch = 0; ch < n; ++ch) packfield(*this, crcwords[ch], 8);
    } else {
        for (int ch = 0; ch < n; ++ch) packfield(*this, bitplanes[ch], 5);
        if (shortgroups(*this)) {
            const int32_t count = groupflagcount(*this);
            for (int ch = 0; ch < n; ++ch) {
                if (bitsleft < count) {
                    padbudget(*this);
                    continue;
                }
                for (int32_t k = 1; k <= count; ++k) packfield(*this, k < 16 ? groupflags[ch][k] : 0, 1);
            }
        }
    }
    flushbits();

    const int16_t crcword = static_cast<int16_t>(headerwords - 1);
    if (wordptr - wordbuf > crcword) messages("header packing overflow");
    while (wordptr - wordbuf < crcword) *wordptr++ = 0;
    wordbuf[crcword] = crc16(wordbuf + 1, static_cast<uint32_t>(crcword - 1));
}
