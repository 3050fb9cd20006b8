#include "codec/format/bands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/format/frameheader.h"
#include "tests/support/messages.h"

namespace {

constexpr double shortbase = 80.0;
constexpr double longbase = 45.0;

// The 32-band ERB table of a block of `blocklength` coefficients at srindex.
std::vector<int32_t> erbtable(int srindex, int32_t blocklength, double p) {
    std::vector<int32_t> sizes(32, -1);
    bandlayout(messagesink(), sizes.data(), 32, 1, p, 2 * blocklength, samplerate_khz(srindex));
    return sizes;
}

std::vector<int32_t> uniformtable(int32_t nband, int32_t blocklength) {
    std::vector<int32_t> sizes(nband, -1);
    bandlayout(messagesink(), sizes.data(), nband, 0, 0.0, 2 * blocklength, 48.0);
    return sizes;
}

} // namespace

TEST(ErbBands, ReferenceTables) {
    const struct {
        int srindex;
        int32_t blocklength;
        double base;
        std::vector<int32_t> sizes;
    } tables[] = {
        {7, 128, shortbase, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4,
                             4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 6, 6, 5}},
        {6, 128, shortbase, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4,
                             4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6}},
        {5, 64, shortbase, {1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
                            2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3}},
        {0, 128, shortbase, std::vector<int32_t>(32, 4)},
        {7, 1024, longbase, {17, 17, 18, 19, 20, 20, 21, 22, 23, 24, 25, 25, 26, 27, 28, 30,
                             31, 32, 33, 34, 36, 37, 38, 40, 41, 43, 45, 46, 48, 50, 52, 56}},
        {6, 1024, longbase, {17, 18, 19, 19, 20, 21, 22, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                             31, 32, 33, 34, 36, 37, 38, 40, 41, 42, 44, 46, 47, 49, 51, 53}},
        {2, 1024, longbase, {24, 24, 25, 25, 26, 26, 27, 27, 28, 28, 29, 29, 30, 30, 31, 31,
                             32, 32, 33, 34, 34, 35, 35, 36, 37, 37, 38, 39, 39, 40, 41, 42}},
    };
    for (const auto& t : tables)
        EXPECT_EQ(erbtable(t.srindex, t.blocklength, t.base), t.sizes) << t.srindex << " " << t.blocklength;
}

TEST(ErbBands, TooFewBandsShowMessageAndFillUniformly) {
    messagerecorder messages;
    std::vector<int32_t> sizes(2, -1);
    erbbands(messages.sink(), sizes.data(), 2, shortbase, 256, 48.0);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"nband out of range"});
    EXPECT_EQ(sizes, (std::vector<int32_t>{64, 64}));
}

// Even splits are decoded by a conformance vector; an uneven one puts the remainder last.
TEST(UniformBands, UnevenSplit) {
    std::vector<int32_t> expected(32, 3);
    for (int b = 28; b < 32; ++b) expected[b] = 4;
    EXPECT_EQ(uniformtable(32, 100), expected);
}
