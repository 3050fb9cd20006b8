// Conformance streams cut short at every word, hit by bit errors at rates from 1e-5 to
// 1e-1 and by bursts: every decode ends in a valid WAV file or a message, within the frame
// bound, and every scale (to rates below, within and above the stream's) in a clean stream.
#include <cmath>

#include "tests/hostile/hostilefixture.h"

namespace {

// The first frames of a stream: enough for every kind of header and payload boundary,
// few enough to cut at every word.
std::vector<uint16_t> firstframes(const hostilestream& stream, size_t count) {
    const std::vector<uint16_t> words = loadstream(stream.name);
    const std::vector<size_t> offsets = frameoffsets(words, headerfor(stream.settings));
    const size_t end = offsets.size() > count ? offsets[count] : words.size();
    return {words.begin(), words.begin() + static_cast<std::ptrdiff_t>(end)};
}

} // namespace

TEST_F(hostiletest, TruncatedAtEveryWord) {
    for (const hostilestream& stream : hostilestreams()) {
        const std::vector<uint16_t> words = firstframes(stream, 2);
        ASSERT_GT(words.size(), 16u) << stream.name;
        for (size_t n = 0; n <= words.size(); ++n) {
            const std::vector<uint16_t> cut(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(n));
            const runoutcome outcome = decode(tobytes(cut), stream.settings);
            EXPECT_SOUND(outcome, stream.name + " cut to " + std::to_string(n) + " words");
        }
        // A file of an odd number of bytes ends in half a word.
        std::vector<uint8_t> bytes = tobytes(words);
        bytes.push_back(0xA5);
        EXPECT_SOUND(decode(bytes, stream.settings), stream.name + " and half a word");
        // A frame cut in its payload is reported, never passed off as a complete decode.
        bytes.resize(bytes.size() - 3);
        EXPECT_FALSE(decode(bytes, stream.settings).completed) << stream.name;
    }
}

TEST_F(hostiletest, BitErrorsFromOneIn100000ToOneInTen) {
    std::mt19937 random(12345);
    for (const hostilestream& stream : hostilestreams()) {
        const std::vector<uint16_t> clean = loadstream(stream.name);
        for (int exponent = 5; exponent >= 1; --exponent) {
            for (int trial = 0; trial < 3; ++trial) {
                std::vector<uint16_t> words = clean;
                const int flipped = flipbits(words, std::pow(10.0, -exponent), random);
                const std::string what = stream.name + " at 1e-" + std::to_string(exponent) + ", " +
                                         std::to_string(flipped) + " bits flipped, trial " +
                                         std::to_string(trial);
                EXPECT_SOUND(decode(tobytes(words), stream.settings), what);
                if (trial == 0) {
                    EXPECT_SOUND(scale(tobytes(words), stream.settings, 48.0), "scale " + what);
                }
            }
        }
    }
}

TEST_F(hostiletest, Bursts) {
    std::mt19937 random(777);
    const burstfill fills[] = {burstfill::zeros, burstfill::ones, burstfill::random};
    for (const hostilestream& stream : hostilestreams()) {
        const std::vector<uint16_t> clean = loadstream(stream.name);
        const size_t bits = 16 * clean.size();
        for (size_t length : {9u, 80u, 700u, 5000u}) {
            for (burstfill fill : fills) {
                // At the start (the sync search), in the middle and over the last frame.
                for (size_t first : {size_t{3}, bits / 2 + 5, bits - std::min(bits, length + 40)}) {
                    std::vector<uint16_t> words = clean;
                    burst(words, first, length, fill, random);
                    const std::string what = stream.name + ": burst of " + std::to_string(length) +
                                             " bits at bit " + std::to_string(first) + ", fill " +
                                             std::to_string(static_cast<int>(fill));
                    EXPECT_SOUND(decode(tobytes(words), stream.settings), what);
                    if (length == 700 && fill == burstfill::random && first == bits / 2 + 5) {
                        for (double kbps : {8.0, 48.0, 1000.0})
                            EXPECT_SOUND(scale(tobytes(words), stream.settings, kbps), "scale " + what);
                    }
                }
            }
        }
    }
}
