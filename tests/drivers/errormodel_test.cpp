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

// Bits flipped by inserterrors over many words of zeros, with their burst statistics.
struct bitrun {
    int64_t flipped = 0;
    int64_t seen = 0;
    bursthistogram bursts;
};

bitrun runbits(int32_t model, double ber, double gamma, int32_t words) {
    CTonvexDoc doc;
    doc.errormodel = model;
    doc.ber = ber;
    doc.gamma = gamma;
    random_seed(1);
    std::vector<uint16_t> buffer(static_cast<size_t>(words), 0);
    doc.inserterrors(buffer.data(), words, 1);
    int64_t ones = 0;
    for (const uint16_t w : buffer) ones += std::popcount(w);
    EXPECT_EQ(ones, doc.nbiterrors);
    return {doc.nbiterrors, doc.nbitsseen, doc.stats.bursts};
}

// Erasures over many frames through the document's frame decision.
struct framerun {
    int64_t erased = 0;
    bursthistogram bursts;
};

framerun runframes(double fer, double gamma, int frames) {
    CTonvexDoc doc;
    doc.errormodel = errormodel_erasure;
    doc.fer = fer;
    doc.gamma = gamma;
    random_seed(1);
    int64_t erased = 0;
    for (int f = 0; f < frames; f++) erased += doc.eraseframe(f) ? 1 : 0;
    EXPECT_EQ(erased, doc.stats.frameserased);
    return {erased, doc.stats.bursts};
}

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

TEST(ErrorModels, TwoStateChannelWithoutBurstinessIsIndependent) {
    const bitrun run = runbits(errormodel_gilbert, 0.002, 0.0, longrun);
    const double n = static_cast<double>(run.seen);
    const double sigma = std::sqrt(n * 0.002 * 0.998);
    EXPECT_NEAR(static_cast<double>(run.flipped), n * 0.002, 5 * sigma);
    // Independent hits: a burst goes on with probability 0.002, so bursts of 2 or more are
    // about 17 of some 8400, and the mean length is 1 / 0.998.
    EXPECT_NEAR(run.bursts.meanlength(), 1.0 / 0.998, 0.01);
    const auto counts = run.bursts.counts();
    EXPECT_LE(run.bursts.bursts() - counts.at(1), 40);
}

TEST(ErrorModels, TwoStateChannelWithBurstinessGivesLongBurstsAtTheSameRate) {
    const bitrun run = runbits(errormodel_gilbert, 0.002, 0.9, longrun);
    const double n = static_cast<double>(run.seen);
    // Neighbouring bits correlate with gamma, so the count spreads (1 + gamma)/(1 - gamma)
    // times as widely as for independent bits.
    const double sigma = std::sqrt(n * 0.002 * 0.998 * 1.9 / 0.1);
    EXPECT_NEAR(static_cast<double>(run.flipped), n * 0.002, 5 * sigma);
    // Mean burst 1 / ((1 - 0.002)(1 - 0.9)) = 10.02; some 840 bursts.
    EXPECT_NEAR(run.bursts.meanlength(), 10.02, 1.5);
    // Geometric lengths: a tenth of the bursts end after one bit.
    const double single =
        static_cast<double>(run.bursts.counts().at(1)) / static_cast<double>(run.bursts.bursts());
    EXPECT_NEAR(single, 0.0998, 0.04);
}

TEST(ErrorModels, TwoStateChannelDrawsTwicePerBit) {
    CTonvexDoc doc;
    doc.errormodel = errormodel_gilbert;
    doc.ber = 0.001;
    doc.gamma = 0.5;
    random_seed(1);
    uint16_t words[10] = {};
    doc.inserterrors(words, 10, 1);
    const uint32_t after = random_state();
    random_seed(1);
    for (int i = 0; i < 10 * 32; i++) random_draw();
    EXPECT_EQ(after, random_state());
    // Switched off: no draws, but the bits still count as seen.
    doc.inserterrors(words, 10, 0);
    EXPECT_EQ(after, random_state());
    EXPECT_EQ(doc.nbitsseen, 320);
}

TEST(ErrorModels, TwoStateChannelAtTheEnds) {
    // Rate 0 never hits; gamma 1 never leaves the good state it starts in.
    EXPECT_EQ(runbits(errormodel_gilbert, 0.0, 0.9, 1024).flipped, 0);
    EXPECT_EQ(runbits(errormodel_gilbert, 0.002, 1.0, 1024).flipped, 0);
    twostatechannel channel;
    random_seed(1);
    EXPECT_TRUE(channel.pass(1.0, 0.0));
    for (int i = 0; i < 100; i++) ASSERT_TRUE(channel.pass(0.0, 1.0));
}

TEST(ErrorModels, FineUniformTakesTheHighDrawFirst) {
    random_seed(1);
    const int high = random_draw();
    const int low = random_draw();
    random_seed(1);
    EXPECT_EQ(fineuniform(), (high * 32768.0 + low) / 1073741824.0);
}

TEST(ErrorModels, FrameErasuresAtTenPercent) {
    const framerun independent = runframes(0.1, 0.0, 100000);
    EXPECT_NEAR(static_cast<double>(independent.erased), 10000.0, 5 * std::sqrt(100000 * 0.1 * 0.9));
    EXPECT_NEAR(independent.bursts.meanlength(), 1.0 / 0.9, 0.03);

    const framerun bursty = runframes(0.1, 0.8, 100000);
    EXPECT_NEAR(static_cast<double>(bursty.erased), 10000.0, 5 * std::sqrt(100000 * 0.1 * 0.9 * 1.8 / 0.2));
    EXPECT_NEAR(bursty.bursts.meanlength(), 1.0 / (0.9 * 0.2), 0.5);
}

TEST(ErrorModels, OnlyFrameModelsEraseAndNoneWhenSwitchedOff) {
    CTonvexDoc doc;
    doc.fer = 0.5;
    random_seed(1);
    for (int32_t model : {errormodel_independent, errormodel_gilbert, errormodel_pattern}) {
        doc.errormodel = model;
        for (int f = 0; f < 50; f++) ASSERT_FALSE(doc.eraseframe(f));
    }
    EXPECT_EQ(random_state(), 1u);
    doc.errormodel = errormodel_erasure;
    doc.errorsenabled = 0;
    for (int f = 0; f < 50; f++) ASSERT_FALSE(doc.eraseframe(f));
    EXPECT_EQ(random_state(), 1u);
    // Erasures leave the bits alone and draw nothing for them.
    doc.errorsenabled = 1;
    uint16_t words[4] = {1, 2, 3, 4};
    doc.inserterrors(words, 4, 1);
    EXPECT_EQ(words[3], 4);
    EXPECT_EQ(doc.nbitsseen, 64);
    EXPECT_EQ(random_state(), 1u);
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

TEST(Settings, ChooseTheErrorModel) {
    CTonvexDoc doc;
    EXPECT_EQ(doc.errormodel, 0);
    EXPECT_EQ(setsetting(doc, "errormodel", 3), setresult::ok);
    EXPECT_EQ(setsetting(doc, "errormodel", 4), setresult::outofrange);
    EXPECT_EQ(setsetting(doc, "errormodel", 1.5), setresult::notinteger);
    EXPECT_EQ(setsetting(doc, "gamma", 1.0), setresult::ok);
    EXPECT_EQ(setsetting(doc, "gamma", 1.01), setresult::outofrange);
    EXPECT_EQ(setsetting(doc, "gamma", -0.1), setresult::outofrange);
    EXPECT_EQ(setsetting(doc, "fer", 0.5), setresult::ok);
    EXPECT_EQ(setsetting(doc, "fer", 0.51), setresult::outofrange);
    EXPECT_EQ(setsettingtext(doc, "patternpath", "a b/c.g192"), setresult::ok);
    EXPECT_EQ(doc.patternpath, "a b/c.g192");
    EXPECT_EQ(gettextsetting(doc, "patternpath"), "a b/c.g192");
    EXPECT_EQ(setsetting(doc, "patternpath", 1.0), setresult::needstext);
    EXPECT_NE(settingerror(setresult::needstext, "patternpath").find("file name"), std::string::npos);
    EXPECT_NE(settingerror(setresult::unknownname, "x").find("patternpath"), std::string::npos);
    EXPECT_EQ(getsetting(doc, "fer"), 0.5);
}

TEST(ErrorModels, ProblemsNameTheBadParameter) {
    CTonvexDoc doc;
    EXPECT_EQ(errormodelproblem(doc), "");
    doc.gamma = std::nan("");
    EXPECT_NE(errormodelproblem(doc).find("gamma"), std::string::npos);
    doc.gamma = 0.5;
    doc.errormodel = errormodel_erasure;
    doc.fer = 0.6;
    EXPECT_NE(errormodelproblem(doc).find("frame erasure rate"), std::string::npos);
    doc.fer = 0.1;
    doc.errormodel = errormodel_gilbert;
    doc.ber = 0.7;
    EXPECT_NE(errormodelproblem(doc).find("bit error rate"), std::string::npos);
    doc.errormodel = errormodel_pattern;
    EXPECT_NE(errormodelproblem(doc).find("pattern file"), std::string::npos);
    doc.errormodel = 7;
    EXPECT_NE(errormodelproblem(doc).find("error model 7"), std::string::npos);
    EXPECT_STREQ(errormodelname(2), "erasure");
    EXPECT_EQ(errormodelnamed("gilbert"), 1);
    EXPECT_FALSE(errormodelnamed("bursty").has_value());
}

TEST(PatternMaker, PatternsHaveTheStatisticsOfTheirModel) {
    const auto measure = [](const errorpattern& p) {
        bursthistogram h;
        for (const uint8_t mark : p.marks) h.record(mark != 0);
        return h;
    };
    random_seed(1);
    const errorpattern independent = makepattern(errormodel_independent, 0.01, 0.9, 1000000);
    EXPECT_EQ(independent.kind, errorpattern::bits);
    ASSERT_EQ(independent.marks.size(), 1000000u);
    const bursthistogram ih = measure(independent);
    EXPECT_NEAR(static_cast<double>(ih.hits()), 10000.0, 5 * std::sqrt(1e6 * 0.01 * 0.99));
    EXPECT_NEAR(ih.meanlength(), 1.0 / 0.99, 0.01); // gamma is ignored

    const bursthistogram gh = measure(makepattern(errormodel_gilbert, 0.01, 0.9, 1000000));
    EXPECT_NEAR(static_cast<double>(gh.hits()), 10000.0, 5 * std::sqrt(1e6 * 0.01 * 0.99 * 19.0));
    EXPECT_NEAR(gh.meanlength(), 1.0 / (0.99 * 0.1), 1.5);

    const errorpattern frames = makepattern(errormodel_erasure, 0.1, 0.0, 20000);
    EXPECT_EQ(frames.kind, errorpattern::frames);
    EXPECT_NEAR(static_cast<double>(measure(frames).hits()), 2000.0, 5 * std::sqrt(20000 * 0.09));
    EXPECT_TRUE(makepattern(errormodel_erasure, 0.1, 0.0, 0).marks.empty());
}
