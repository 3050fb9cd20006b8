// Every header field at each end of its range, in every frame of a stream, with intact
// header CRCs, so that the values reach the decoders.
#include "tests/hostile/hostilefixture.h"

namespace {

struct fieldchange {
    const char* name;
    std::function<void(frameheader&)> change;
};

std::vector<fieldchange> extremes() {
    std::vector<fieldchange> changes = {
        {"frameindex 0", [](frameheader& h) { h.frameindex = 0; }},
        {"frameindex 15", [](frameheader& h) { h.frameindex = 15; }},
        {"framewords 8", [](frameheader& h) { h.framewords = 8; }},
        {"channels 1", [](frameheader& h) { h.channels = 1; }},
        {"channels 2", [](frameheader& h) { h.channels = 2; }},
        {"codedbands 1", [](frameheader& h) { h.codedbands = 1; }},
        {"codedbands 32", [](frameheader& h) { h.codedbands = 32; }},
        {"bitplanes 0", [](frameheader& h) { h.bitplanes[0] = h.bitplanes[1] = 0; }},
        {"bitplanes 31", [](frameheader& h) { h.bitplanes[0] = h.bitplanes[1] = 31; }},
        {"crcwords 0", [](frameheader& h) { h.crcwords[0] = h.crcwords[1] = 0; }},
        {"crcwords 255", [](frameheader& h) { h.crcwords[0] = h.crcwords[1] = 255; }},
        {"groupflags none", [](frameheader& h) { std::fill(&h.groupflags[0][1], &h.groupflags[1][16], 0); }},
        {"groupflags all", [](frameheader& h) { std::fill(&h.groupflags[0][0], &h.groupflags[1][16], 1); }},
    };
    for (int16_t sr = 0; sr < 8; ++sr)
        changes.push_back({"srindex", [sr](frameheader& h) {
                               h.srindex = sr;
                               h.setsizes();
                           }});
    for (int16_t mode = 0; mode < 4; ++mode)
        changes.push_back({"blockmode", [mode](frameheader& h) { h.blockmode = mode; }});
    return changes;
}

} // namespace

TEST_F(hostiletest, EveryHeaderFieldAtItsExtremes) {
    for (const hostilestream& stream : hostilestreams()) {
        const std::vector<uint16_t> clean = loadstream(stream.name);
        const decodeheader config = headerfor(stream.settings);
        const std::vector<size_t> offsets = frameoffsets(clean, config);
        for (const fieldchange& field : extremes()) {
            std::vector<uint16_t> words = clean;
            for (size_t offset : offsets) patchheader(words, offset, config, field.change);
            EXPECT_SOUND(decode(tobytes(words), stream.settings), stream.name + ": " + field.name);
        }
    }
}

TEST_F(hostiletest, HeaderFieldsChangingFromFrameToFrame) {
    // Sample rate, channel count and block mode that differ from the first header's.
    for (const hostilestream& stream : hostilestreams()) {
        std::vector<uint16_t> words = loadstream(stream.name);
        const decodeheader config = headerfor(stream.settings);
        const std::vector<size_t> offsets = frameoffsets(words, config);
        for (size_t i = 0; i < offsets.size(); ++i)
            patchheader(words, offsets[i], config, [i](frameheader& h) {
                h.srindex = static_cast<int16_t>(i * 3 % 8);
                h.setsizes();
                h.channels = static_cast<int16_t>(1 + i % 2);
                h.blockmode = static_cast<int16_t>(i * 7 % 4);
                h.codedbands = static_cast<int16_t>(1 + i * 5 % 32);
            });
        EXPECT_SOUND(decode(tobytes(words), stream.settings), stream.name);
        EXPECT_SOUND(scale(tobytes(words), stream.settings, 32.0), stream.name);
    }
}
