#include "base/random.h"

#include <gtest/gtest.h>

TEST(RandomSource, SkipEqualsThatManyDraws) {
    for (const std::uint64_t n : {0ull, 1ull, 2ull, 16ull, 2736ull, 123457ull, 4294967296ull + 5}) {
        random_seed(987654321u);
        // 2^32 draws bring the state back to where it was: the generator has full period.
        const std::uint64_t drawn = n >= 4294967296ull ? n - 4294967296ull : n;
        for (std::uint64_t i = 0; i < drawn; i++) random_draw();
        const std::uint32_t expected = random_state();
        random_seed(987654321u);
        random_skip(n);
        EXPECT_EQ(random_state(), expected) << n;
    }
}
