// The error models on their own: the statistics of every model over long runs with a fixed
// seed, which also hold the burst histogram's runs across word boundaries to account. The
// default model's draws are pinned by a conformance vector.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>

#include "app/CTonvexDoc.h"
#include "engine/errors/bursthistogram.h"
#include "engine/errors/patternmaker.h"
#include "engine/settings.h"

namespace {

constexpr int32_t longrun = 1 << 18; // words: 4194304 bits

} // namespace

// Long runs of every model from a fixed seed: the rate within 5 standard deviations (wider
// by (1 + gamma) / (1 - gamma) where neighbouring units correlate) and the mean burst length
// 1 / ((1 - rate)(1 - gamma)) of a two-state channel.
TEST(ErrorModels, RatesAndBurstLengthsOfEveryModel) {
    const struct {
        const char* what;
        int32_t model;
        bool pattern; // made by the pattern maker rather than applied during a decode
        double rate, gamma;
        int64_t units;
        double meanburst, tolerance;
    } cases[] = {
        {"two-state bits", errormodel_gilbert, false, 0.002, 0.9, 16 * longrun, 1 / (0.998 * 0.1), 1.5},
        {"independent erasures", errormodel_erasure, false, 0.1, 0.0, 100000, 1 / 0.9, 0.03},
        {"bursty erasures", errormodel_erasure, false, 0.1, 0.8, 100000, 1 / (0.9 * 0.2), 0.5},
        {"independent pattern, gamma ignored", errormodel_independent, true, 0.01, 0.9, 1000000, 1 / 0.99,
         0.01},
        {"two-state pattern", errormodel_gilbert, true, 0.01, 0.9, 1000000, 1 / (0.99 * 0.1), 1.5},
        {"erasure pattern", errormodel_erasure, true, 0.1, 0.0, 20000, 1 / 0.9, 0.05},
    };
    for (const auto& c : cases) {
        bursthistogram bursts;
        CTonvexDoc doc;
        doc.errormodel = c.model;
        doc.gamma = c.gamma;
        if (c.pattern) {
            const errorpattern p = makepattern(doc.random, c.model, c.rate, c.gamma, c.units);
            ASSERT_EQ(static_cast<int64_t>(p.marks.size()), c.units);
            for (const uint8_t mark : p.marks) bursts.record(mark != 0);
        } else if (c.model == errormodel_erasure) {
            doc.fer = c.rate;
            for (int64_t f = 0; f < c.units; f++) doc.eraseframe(f);
            bursts = doc.stats.bursts;
        } else {
            doc.ber = c.rate;
            std::vector<uint16_t> words(static_cast<size_t>(c.units / 16), 0);
            doc.inserterrors(words.data(), static_cast<int32_t>(words.size()), 1);
            int64_t ones = 0;
            for (const uint16_t w : words) ones += std::popcount(w);
            EXPECT_EQ(ones, doc.nbiterrors);
            bursts = doc.stats.bursts;
        }
        const double n = static_cast<double>(c.units);
        const double spread = c.model == errormodel_independent ? 1.0 : (1 + c.gamma) / (1 - c.gamma);
        EXPECT_NEAR(static_cast<double>(bursts.hits()), n * c.rate,
                    5 * std::sqrt(n * c.rate * (1 - c.rate) * spread))
            << c.what;
        EXPECT_NEAR(bursts.meanlength(), c.meanburst, c.tolerance) << c.what;
    }
}
