#include "encoder/weightquant.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double gainoflevel(double lv) {
    return 262144.0 * std::pow(10.0, lv / 20.0);
}

// The decoder's levels of weight modes 0 and 1, in its order of operations.
void sideinfogains(const codec& c, int32_t g, int32_t nband, double* gain) {
    const double h = static_cast<double>(1 << (c.config.weightbits - 1));
    double r = -c.weightref[g] * c.config.weightstep;
    double p = r;
    for (int32_t j = 0; j < nband; j++) {
        double lv;
        if (c.config.weightmode == 0) {
            lv = (c.weight[g][j] - h) * c.config.weightstep + r;
        } else if (j == 0) {
            lv = r;
        } else {
            lv = c.weight[g][j] * c.config.weightstep + r;
            if (c.config.wpredmode == 1) {
                r = lv;
            } else if (c.config.wpredmode == 2) {
                r = 2 * lv - p;
                p = lv;
            }
        }
        gain[j] = gainoflevel(lv);
    }
}

} // namespace

int16_t liftforroom(double weightstep) {
    return static_cast<int16_t>(std::ceil(20.0 * std::log10(32.0 * integerheadroom) / weightstep));
}

void realiseweights(codec& c, int32_t g, const double* desired, const double* peak, double* gain,
                    int16_t lift) {
    const int32_t nband = c.nbandcoded;
    if (c.config.weighton == 0) {
        std::fill(gain, gain + nband, 1.0);
        return;
    }
    // Smallest weight per band that keeps the integers below 2^31; silent bands have none.
    constexpr double none = -1e9;
    std::vector<double> lowest(nband, none), target(nband);
    double shift = none;
    for (int32_t j = 0; j < nband; j++) {
        if (peak[j] <= 0.0) continue;
        lowest[j] = 20.0 / c.config.weightstep * std::log10(peak[j] / (integerheadroom * 262144.0));
        shift = std::max(shift, lowest[j] - desired[j]);
    }
    if (shift == none) shift = 0.0;
    for (int32_t j = 0; j < nband; j++)
        target[j] = std::max(std::round(desired[j] + shift), std::ceil(lowest[j] - 1e-9));

    const int32_t refmax = (1 << c.config.weightrefbits) - 1;
    if (c.config.weightmode == 2) {
        // Any band may be the first of its group to arrive, and a first weight is a
        // negated reference: every weight stays within -refmax..0.
        for (int32_t j = 0; j < nband; j++) {
            const auto w =
                static_cast<int16_t>(std::min(std::clamp<double>(target[j], -refmax, 0) + lift, 0.0));
            c.weight[g][j] = w;
            gain[j] = gainoflevel(w * c.config.weightstep);
        }
        return;
    }
    double loudest = none;
    for (int32_t j = 0; j < nband; j++)
        if (peak[j] > 0.0) loudest = std::max(loudest, target[j]);
    if (loudest == none) loudest = target[0];
    const int32_t h = 1 << (c.config.weightbits - 1);
    if (c.config.weightmode == 0) {
        // The reference puts the loudest band at the top of the fixed-length range.
        const int32_t ref = std::clamp(h - 1 - static_cast<int32_t>(loudest), 0, refmax);
        c.weightref[g] = static_cast<int16_t>(ref);
        for (int32_t j = 0; j < nband; j++)
            c.weight[g][j] =
                static_cast<int16_t>(std::clamp(static_cast<int32_t>(target[j]) + h + ref, 0, 2 * h - 1));
    } else {
        // Band 0 sits on the reference; every later band is a difference to the
        // decoder's prediction. Silent bands take the prediction, which costs least, except
        // under linear prediction, where a run of them would carry the line far away.
        const int32_t first = peak[0] > 0.0 ? static_cast<int32_t>(target[0]) : static_cast<int32_t>(loudest);
        const int32_t ref = std::clamp(-first, 0, refmax);
        c.weightref[g] = static_cast<int16_t>(ref);
        int32_t predicted = -ref, previous = -ref;
        for (int32_t j = 1; j < nband; j++) {
            const bool follow = peak[j] > 0.0 || c.config.wpredmode == 2;
            int32_t d = follow ? static_cast<int32_t>(target[j]) - predicted : 0;
            if (c.config.wsignmode == 2) d = std::min(d, h - 1); // larger steps up have no code
            const int32_t w = predicted + d;
            c.weight[g][j] = static_cast<int16_t>(d);
            if (c.config.wpredmode == 1) {
                predicted = w;
            } else if (c.config.wpredmode == 2) {
                predicted = 2 * w - previous;
                previous = w;
            }
        }
    }
    sideinfogains(c, g, nband, gain);
}
