#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/decoder/significance.h"
#include "tests/support/decoders.h"

// One block of 4, scan 0, run mode 0. The worked example ("00110 1000 1 110 10" from top
// plane 2) whole and cut after ten bits, where reconmodes 1 and 4 add offsets; a top plane
// of 31 is a failed top plane; one coefficient found at plane 3 and never refined gets
// floor(8 * 0.4 + 0.5) = 3 in reconmode 4, 2^2 = 4 in reconmode 1, and in reconmode 3 band 0's
// floor(8 * 0.44 + 0.5) = 4.
TEST(Significance, WorkedExampleCutsTopPlaneAndReconstructionOffsets) {
    const std::string example = "00110 1000 1 110 10";
    const struct {
        std::string bits;
        int16_t top;
        int32_t budget, reconmode;
        std::vector<int32_t> coefs;
        int32_t crcerror, crcerrorpos; // -1: not checked
    } cases[] = {
        {example, 2, 15, 1, {-2, 1, 7, 0}, 0, 100},  {example, 2, 10, 1, {-3, 0, 7, 0}, -1, -1},
        {example, 2, 10, 4, {-3, 0, 7, 0}, -1, -1},  {example, 2, 10, 0, {-2, 0, 6, 0}, -1, -1},
        {"1111 1111", 31, 8, 0, {0, 0, 0, 0}, 1, 0}, {"1 0", 3, 2, 0, {-8, 0, 0, 0}, -1, -1},
        {"1 0", 3, 2, 1, {-12, 0, 0, 0}, -1, -1},    {"1 0", 3, 2, 2, {-11, 0, 0, 0}, -1, -1},
        {"1 0", 3, 2, 3, {-12, 0, 0, 0}, -1, -1},    {"1 0", 3, 2, 4, {-11, 0, 0, 0}, -1, -1},
    };
    const std::vector<int32_t> fourcoefs = {4};
    for (const auto& c : cases) {
        channelfixture f;
        f.dec.config.reconmode = c.reconmode;
        f.load(c.bits);
        f.dec.topbitplane = c.top;
        f.dec.pwcsig_decode({1, 4, 0, c.budget, 0, 1, 1, fourcoefs.data(), 2});
        const auto row = f.dec.mdcti[0];
        EXPECT_EQ(std::vector<int32_t>(row.begin(), row.begin() + 4), c.coefs)
            << c.bits << " budget " << c.budget << " reconmode " << c.reconmode;
        EXPECT_TRUE(c.crcerror < 0 || (f.dec.crcerror == c.crcerror && f.dec.crcerrorpos == c.crcerrorpos))
            << c.bits << ": CRC error " << f.dec.crcerror << " at " << f.dec.crcerrorpos;
    }
}
