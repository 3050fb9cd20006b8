// The pass engine against a literal transcription of the plain single-channel decoder
// (step to the next open position one index at a time) on random payloads.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/decoders.h"

namespace {

struct referenceconfig {
    int32_t nblk, ncoef, scan, runmode, runparam, top, refinefirst;
};

// Returns mdcti[b][i] for b < nblk, i < ncoef as decoded by the literal walk (reconmode 0,
// no weights), from a bit string and a budget.
std::vector<std::vector<int32_t>> referencedecode(const std::string& bits, int32_t budget,
                                                  const referenceconfig& c) {
    std::vector<std::pair<int32_t, int32_t>> list; // scan orders 0 and 1
    if (c.scan == 0)
        for (int32_t b = 0; b < c.nblk; ++b)
            for (int32_t i = 0; i < c.ncoef; ++i) list.emplace_back(b, i);
    else
        for (int32_t i = 0; i < c.ncoef; ++i)
            for (int32_t b = 0; b < c.nblk; ++b) list.emplace_back(b, i);
    const int32_t L = static_cast<int32_t>(list.size());
    std::vector<std::vector<int32_t>> out(c.nblk, std::vector<int32_t>(c.ncoef, 0));
    std::vector<int32_t> status(L, 2), sig;
    size_t at = 0;
    auto read = [&](int32_t n) {
        uint32_t v = 0;
        for (int32_t k = 0; k < n; ++k) v = 2 * v + (at < bits.size() && bits[at++] == '1' ? 1 : 0);
        budget -= n;
        return v;
    };
    auto step = [&](int32_t& p) {
        p = p + 1;
        while (p < L && status[p] != 2) ++p;
    };
    auto value = [&](int32_t p) -> int32_t& { return out[list[p].first][list[p].second]; };
    int32_t bp = c.top;
    if (bp == 0) budget = 0;
    while (bp >= 0 && budget > 0) {
        const int32_t v = 1 << bp;
        const size_t K = sig.size();
        auto refine = [&] {
            for (size_t k = 0; k < K && budget > 0; ++k) {
                int32_t& x = value(sig[k]);
                if (read(1)) x = x >= 0 ? (x | v) : -((-x) | v);
            }
        };
        if (c.refinefirst) refine();
        int32_t kk = c.runparam;
        int32_t p = -1;
        step(p);
        while (p < L && budget > 0) {
            uint32_t bit;
            do {
                bit = read(1);
                if (bit == 0) {
                    const int32_t n = c.runmode == 0 ? 1 : c.runmode == 1 ? (1 << c.runparam) : (1 << kk++);
                    for (int32_t s = 0; s < n; ++s) step(p);
                }
            } while (bit == 0 && p < L && budget > 0);
            if (bit == 1 && budget > 0) {
                if (c.runmode != 0) {
                    const int32_t w = c.runmode == 1 ? c.runparam : kk;
                    if (budget < w) {
                        budget = 0;
                    } else {
                        const uint32_t r = read(w);
                        for (uint32_t s = 0; s < r; ++s) step(p);
                        if (c.runmode == 2 && kk > 1) --kk;
                    }
                }
                if (p >= L) {
                    for (size_t k = K; k < sig.size(); ++k) value(sig[k]) = 0;
                    sig.resize(K);
                    budget = 0;
                }
                if (budget > 0) {
                    value(p) = read(1) ? v : -v;
                    sig.push_back(p);
                    status[p] = 0;
                }
            }
            step(p);
        }
        if (!c.refinefirst) refine();
        --bp;
    }
    return out;
}

} // namespace

TEST(PassReference, RandomPayloadsDecodeLikeTheLiteralWalk) {
    std::mt19937 random(7);
    const std::vector<int32_t> bands = {1024};
    const referenceconfig configs[] = {
        {1, 1000, 0, 2, 1, 9, 0}, {1, 700, 0, 0, 1, 5, 0}, {8, 96, 1, 2, 1, 7, 1},
        {8, 128, 0, 1, 3, 6, 0},  {1, 130, 0, 2, 2, 4, 1}, {8, 20, 1, 1, 1, 12, 0},
    };
    for (const referenceconfig& c : configs)
        for (int trial = 0; trial < 40; ++trial) {
            // Zero runs dominate real payloads: bits are 1 with probability 1/4.
            std::string bits;
            const int32_t budget = 50 + static_cast<int32_t>(random() % 1500);
            for (int32_t k = 0; k < budget + 32; ++k) bits += random() % 4 == 0 ? '1' : '0';
            channelfixture f;
            f.load(bits);
            f.dec.topbitplane = static_cast<int16_t>(c.top);
            f.dec.config.refinefirst = c.refinefirst;
            f.dec.pwcsig_decode({c.nblk, c.ncoef, c.scan, budget, c.runmode, c.runparam, 1, bands.data(), 1});
            const auto expected = referencedecode(bits, budget, c);
            for (int32_t b = 0; b < c.nblk; ++b)
                for (int32_t i = 0; i < c.ncoef; ++i)
                    ASSERT_EQ(f.coef(b, i), expected[b][i])
                        << "config " << (&c - configs) << " trial " << trial;
        }
}
