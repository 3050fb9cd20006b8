#include "fuzz/framefuzzing.h"

#include "codec/format/frameheader.h"
#include "engine/handover.h"
#include "engine/io/pcm.h"
#include "fuzz/fuzzsupport.h"

namespace {
constexpr int maxpayloadwords = maxframewords - 5;
}

fuzzstream choosestream(CTonvexDoc& doc, fuzzinput& in) {
    fuzzstream stream;
    stream.srindex = static_cast<int16_t>(in.choose(8));
    stream.channels = static_cast<int16_t>(1 + in.choose(2));
    doc.srindex = stream.srindex;
    doc.fs_khz = samplerate_khz(stream.srindex);
    doc.shortlen = shortblocklength(stream.srindex);
    doc.nblock = doc.framelen / doc.shortlen;
    doc.midpoint = doc.framelen / 2 + doc.shortlen / 2;
    return stream;
}

bool buildchannel(const CTonvexDoc& doc, zatdec& decoder, int16_t srindex) {
    if (decoder.arrayalloc_zatdec(doc.longlen, doc.shortlen, doc.nblock, doc.midpoint, doc.nband1,
                                  doc.nband2) != 0)
        return false;
    handover_channel_once(doc, decoder, srindex);
    return true;
}

fuzzframe chooseframe(fuzzinput& in, int32_t nblock) {
    fuzzframe frame;
    frame.blockmode = static_cast<int16_t>(in.choose(4));
    frame.codedbands = static_cast<int16_t>(1 + in.choose(32));
    frame.bitplanes = static_cast<int16_t>(in.choose(32));
    frame.crcwords = in.byte();
    for (auto& flags : frame.groupflags) {
        // Entry 0 always starts a group; long-block frames have no other.
        const uint16_t bits = in.word();
        flags[0] = 1;
        for (int32_t b = 1; b < nblock && b < 16; ++b)
            flags[b] = static_cast<int16_t>(frame.blockmode == 1 || frame.blockmode == 2 ? 0 : bits >> b & 1);
    }
    // One frame in eight is lost, as a damaged header makes it.
    frame.lost = in.choose(8) == 0;
    frame.payloadwords = static_cast<int16_t>(in.word() % (maxpayloadwords + 1));
    frame.decodewords = static_cast<int16_t>(in.word() % (maxpayloadwords + 1));
    frame.payload.resize(static_cast<size_t>(frame.payloadwords) + 1);
    for (size_t i = 0; i + 1 < frame.payload.size(); ++i) frame.payload[i] = in.word();
    return frame;
}

std::vector<uint8_t> encodeframe(const fuzzframe& frame) {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(frame.blockmode),
                               static_cast<uint8_t>(frame.codedbands - 1),
                               static_cast<uint8_t>(frame.bitplanes), static_cast<uint8_t>(frame.crcwords)};
    const auto word = [&bytes](uint16_t w) {
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    };
    for (const auto& flags : frame.groupflags) {
        uint16_t bits = 0;
        for (int b = 1; b < 16; ++b) bits = static_cast<uint16_t>(bits | (flags[b] != 0 ? 1u << b : 0u));
        word(bits);
    }
    bytes.push_back(frame.lost ? 0 : 1);
    word(static_cast<uint16_t>(frame.payloadwords));
    word(static_cast<uint16_t>(frame.decodewords));
    for (int16_t i = 0; i < frame.payloadwords; ++i) word(frame.payload[static_cast<size_t>(i)]);
    return bytes;
}

void finishchannel(const CTonvexDoc& doc, const zatdec& decoder, int16_t* pcm, int16_t nch, int16_t channel) {
    fuzzcheck(decoder.blockmode >= ALL_SHORT && decoder.blockmode <= CONCEALED_SHORT,
              "block mode outside 0..6");
    fuzzcheck(decoder.lastblockmode == decoder.blockmode, "previous block mode not carried forward");
    pcmconvert(doc.pcm_buf.get(), pcm + channel, doc.framelen, nch, doc.dither);
}
