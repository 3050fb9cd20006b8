// Files that are no stream or lie about themselves: all zeros, all ones, nothing but sync
// words, headers without payload, lengths that point past the end of the file.
#include "tests/hostile/hostilefixture.h"

TEST_F(hostiletest, ZerosOnesAndSyncWords) {
    const char* const configurations[] = {"", "jointcoding=0", "weightmode=0", "weightmode=1 jointcoding=0",
                                          "weighton=0"};
    std::vector<std::vector<uint8_t>> files;
    for (size_t bytes : {0u, 1u, 2u, 9u, 10u, 15u, 16u, 17u, 1000u, 20000u})
        for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) files.emplace_back(bytes, fill);
    for (size_t count : {1u, 4u, 5u, 6u, 511u, 4000u})
        files.push_back(tobytes(std::vector<uint16_t>(count, syncword)));
    for (const char* settings : configurations) {
        for (const std::vector<uint8_t>& bytes : files) {
            const std::string what = std::to_string(bytes.size()) + " bytes from " +
                                     std::to_string(bytes.empty() ? 0 : bytes[0]) + " with " + settings;
            const runoutcome outcome = decode(bytes, settings);
            EXPECT_SOUND(outcome, what);
            EXPECT_GT(outcome.messages, 0) << "no stream, yet no word said: " << what;
            EXPECT_SOUND(scale(bytes, settings, 64.0), what);
        }
    }
}

TEST_F(hostiletest, RepeatedIntactHeadersWithoutPayload) {
    // Headers that pass their CRC but announce lengths that hold no payload or overlap the
    // next header: each is a frame or a damaged header, never a stall.
    for (const hostilestream& stream : hostilestreams()) {
        const std::vector<uint16_t> clean = loadstream(stream.name);
        const decodeheader config = headerfor(stream.settings);
        const size_t H = static_cast<size_t>(config.headerwords);
        for (int16_t length : {int16_t{0}, int16_t{1}, int16_t(H - 1), int16_t(H), int16_t{8}}) {
            std::vector<uint16_t> header(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(H));
            patchheader(header, 0, config, [&](frameheader& h) { h.framewords = length; });
            std::vector<uint16_t> words;
            for (int i = 0; i < 16; ++i) words.insert(words.end(), header.begin(), header.end());
            EXPECT_SOUND(decode(tobytes(words), stream.settings),
                         stream.name + ": headers of length " + std::to_string(length));
            EXPECT_SOUND(scale(tobytes(words), stream.settings, 64.0), stream.name);
        }
    }
}

TEST_F(hostiletest, LengthsPointingPastTheEnd) {
    for (const hostilestream& stream : hostilestreams()) {
        const std::vector<uint16_t> clean = loadstream(stream.name);
        const decodeheader config = headerfor(stream.settings);
        const std::vector<size_t> offsets = frameoffsets(clean, config);
        ASSERT_GE(offsets.size(), 3u) << stream.name;
        for (size_t which : {size_t{0}, offsets.size() / 2, offsets.size() - 1}) {
            std::vector<uint16_t> words = clean;
            patchheader(words, offsets[which], config, [](frameheader& h) { h.framewords = maxframewords; });
            // Cut the file a few words behind the lying header.
            words.resize(std::min(words.size(), offsets[which] + config.headerwords + 7));
            const runoutcome outcome = decode(tobytes(words), stream.settings);
            EXPECT_SOUND(outcome, stream.name + ": frame " + std::to_string(which) + " claims 511 words");
            EXPECT_FALSE(outcome.completed) << "a frame cut short must be reported";
            EXPECT_SOUND(scale(tobytes(words), stream.settings, 64.0), stream.name);
        }
        // A damaged header whose own length runs past the end: the walk must not trust it.
        std::vector<uint16_t> words = clean;
        patchheader(words, offsets[1], config, [](frameheader& h) { h.framewords = maxframewords; });
        words[offsets[1] + config.headerwords - 1] ^= 0x0100;
        EXPECT_SOUND(decode(tobytes(words), stream.settings),
                     stream.name + ": damaged header claims 511 words");
    }
}
