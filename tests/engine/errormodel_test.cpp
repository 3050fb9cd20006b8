// The error models on their own: the draws of the default model, the statistics of the
// two-state channel over long runs with a fixed seed, patterns, the burst histogram and
// the settings that choose a model.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>

#include "app/CTonvexDoc.h"
#include "app/settings.h"
#include "base/random.h"
#include "engine/errors/bursthistogram.h"
#include "engine/errors/patternmaker.h"
#include "engine/errors/twostatechannel.h"

namespace {

constexpr int32_t longrun = 1 << 18; // words: 4194304 bits

} // namespace

TEST(ErrorModels, DefaultModelDrawsOncePerBitLeastSignificantFirst) {
    CTonvexDoc doc;
    doc.ber = 0.002;
    random_seed(1);
    std::vector<uint16_t> words(4096, 0x5A5A);
    doc.inserterrors(words.data(), 4096, 1);

    // The rule written out: bit b of each word flips when 1 - r/32767 < ber.
    random_seed(1);
    int64_t flipped = 0;
    for (const uint16_t got : words) {
        uint16_t want = 0x5A5A;
        for (int b = 0; b < 16; b++)
            if (1.0 - random_draw() / 32767.0 < 0.002) {
                want = static_cast<uint16_t>(want ^ (1u << b));
                flipped += 1;
            }
        ASSERT_EQ(got, want);
    }
    EXPECT_EQ(doc.nbiterrors, flipped);
    EXPECT_GT(flipped, 0);
    EXPECT_EQ(doc.stats.bursts.hits(), flipped);
}

TEST(BurstHistogram, RunsGoOnAcrossWordsMostSignificantBitFirst) {
    bursthistogram h;
    h.recordword(0x0003); // the last two bits of a word ...
    h.recordword(0xC000); // ... and the first two of the next: one burst of 4
    h.recordword(0x0100);
    h.record(true); // a frame-sized unit still open at the end
    const std::map<int64_t, int64_t> want = {{1, 2}, {4, 1}};
    EXPECT_EQ(h.counts(), want);
    EXPECT_EQ(h.bursts(), 3);
    EXPECT_EQ(h.hits(), 6);
    EXPECT_DOUBLE_EQ(h.meanlength(), 2.0);
    h.clear();
    EXPECT_EQ(h.meanlength(), 0.0);
}

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
        random_seed(1);
        bursthistogram bursts;
        CTonvexDoc doc;
        doc.errormodel = c.model;
        doc.gamma = c.gamma;
        if (c.pattern) {
            const errorpattern p = makepattern(c.model, c.rate, c.gamma, c.units);
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
