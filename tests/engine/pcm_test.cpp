#include "engine/io/pcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/random.h"

TEST(PcmConversion, EqualsFloorAndClipAtEveryEdge) {
    // The conversion as written out: floor, clip, NaN to 0.
    auto reference = [](double v) {
        double s = std::floor(v);
        if (s > 32767.0) s = 32767.0;
        if (s < -32768.0) s = -32768.0;
        return std::isnan(s) ? int16_t{0} : static_cast<int16_t>(s);
    };
    std::vector<double> values = {0.0,      -0.0,         0.5,           -0.5,    -1.0,     -1.5,
                                  32766.5,  32767.0,      32767.5,       32768.0, -32767.5, -32768.0,
                                  -32768.5, -32769.0,     1e300,         -1e300,  INFINITY, -INFINITY,
                                  NAN,      2147483648.0, -2147483649.0, 1e-300,  -1e-300};
    for (int i = -70000; i <= 70000; i += 7) values.push_back(i / 2.0 + 0.25 * (i % 3));
    for (double v : values) {
        // in[0] * 32768 + 0.0 + 0.5 reproduces v exactly for these values.
        const double in = (v - 0.5) / 32768.0;
        if (32768.0 * in + 0.0 + 0.5 != v && !std::isnan(v)) continue;
        int16_t out = 7;
        pcmconvert(&in, &out, 1, 1, 0);
        EXPECT_EQ(out, reference(32768.0 * in + 0.0 + 0.5)) << v;
    }
}
