#include "codec/format/bands.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "codec/format/frameheader.h"
#include "messagerecorder.h"

namespace {

constexpr double shortbase = 80.0;
constexpr double longbase = 45.0;

// The 32-band ERB table of a block of `blocklength` coefficients at srindex.
std::vector<int32_t> erbtable(int srindex, int32_t blocklength, double p) {
    std::vector<int32_t> sizes(32, -1);
    bandlayout(sizes.data(), 32, 1, p, 2 * blocklength, samplerate_khz(srindex));
    return sizes;
}

std::vector<int32_t> uniformtable(int32_t nband, int32_t blocklength) {
    std::vector<int32_t> sizes(nband, -1);
    bandlayout(sizes.data(), nband, 0, 0.0, 2 * blocklength, 48.0);
    return sizes;
}

} // namespace

TEST(ErbBands, ReferenceTables) {
    const std::vector<int32_t> short48 = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4,
                                          4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 6, 6, 5};
    const std::vector<int32_t> short44 = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4,
                                          4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6};
    const std::vector<int32_t> short32 = {1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
                                          2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3};
    const std::vector<int32_t> short11(32, 4);
    const std::vector<int32_t> long48 = {17, 17, 18, 19, 20, 20, 21, 22, 23, 24, 25, 25, 26, 27, 28, 30,
                                         31, 32, 33, 34, 36, 37, 38, 40, 41, 43, 45, 46, 48, 50, 52, 56};
    const std::vector<int32_t> long44 = {17, 18, 19, 19, 20, 21, 22, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                                         31, 32, 33, 34, 36, 37, 38, 40, 41, 42, 44, 46, 47, 49, 51, 53};
    const std::vector<int32_t> long16 = {24, 24, 25, 25, 26, 26, 27, 27, 28, 28, 29, 29, 30, 30, 31, 31,
                                         32, 32, 33, 34, 34, 35, 35, 36, 37, 37, 38, 39, 39, 40, 41, 42};
    EXPECT_EQ(erbtable(7, 128, shortbase), short48);
    EXPECT_EQ(erbtable(6, 128, shortbase), short44);
    EXPECT_EQ(erbtable(5, 64, shortbase), short32);
    EXPECT_EQ(erbtable(0, 128, shortbase), short11);
    EXPECT_EQ(erbtable(7, 1024, longbase), long48);
    EXPECT_EQ(erbtable(6, 1024, longbase), long44);
    EXPECT_EQ(erbtable(2, 1024, longbase), long16);
}

TEST(ErbBands, EveryRateCoversTheBlockWithGrowingBands) {
    messagerecorder messages;
    for (int srindex = 0; srindex < 8; ++srindex) {
        const int32_t lengths[2] = {shortblocklength(srindex), 1024};
        const double bases[2] = {shortbase, longbase};
        for (int kind = 0; kind < 2; ++kind) {
            const std::vector<int32_t> sizes = erbtable(srindex, lengths[kind], bases[kind]);
            EXPECT_EQ(std::accumulate(sizes.begin(), sizes.end(), 0), lengths[kind])
                << "srindex " << srindex << " length " << lengths[kind];
            // Only the last band may shrink: it absorbs the rounding.
            for (size_t b = 1; b + 1 < sizes.size(); ++b) EXPECT_GE(sizes[b], sizes[b - 1]);
            EXPECT_GT(sizes.back(), 0);
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(ErbBands, TooFewBandsShowMessageAndFillUniformly) {
    messagerecorder messages;
    std::vector<int32_t> sizes(2, -1);
    erbbands(sizes.data(), 2, shortbase, 256, 48.0);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"nband out of range"});
    EXPECT_EQ(sizes, (std::vector<int32_t>{64, 64}));
}

TEST(ErbBands, UnusableRateKeepsTheTableDefined) {
    std::vector<int32_t> sizes(32, -1);
    erbbands(sizes.data(), 32, shortbase, 256, samplerate_khz(9));
    EXPECT_EQ(sizes, std::vector<int32_t>(32, 4));
}

TEST(UniformBands, EvenAndUnevenSplits) {
    EXPECT_EQ(uniformtable(32, 128), std::vector<int32_t>(32, 4));
    EXPECT_EQ(uniformtable(32, 1024), std::vector<int32_t>(32, 32));
    std::vector<int32_t> expected(32, 3);
    for (int b = 28; b < 32; ++b) expected[b] = 4;
    EXPECT_EQ(uniformtable(32, 100), expected);
}
