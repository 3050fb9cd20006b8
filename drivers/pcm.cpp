#include "drivers/pcm.h"

#include <cmath>

#include "drivers/random.h"

void pcmconvert(const double* in, int16_t* out, int32_t n, int32_t stride, int32_t dither) {
    for (int32_t i = 0; i < n; i++) {
        double d = 0.0;
        if (dither != 0) {
            const int r1 = random_draw();
            const int r2 = random_draw();
            d = r2 / 32767.0 + r1 / 32767.0 - 1.0;
        }
        double s = std::floor(32768.0 * in[i] + d + 0.5);
        if (s > 32767.0) s = 32767.0;
        if (s < -32768.0) s = -32768.0;
        // NaN from a broken spectrum would make the conversion undefined: it is silence.
        out[static_cast<int64_t>(i) * stride] = std::isnan(s) ? int16_t{0} : static_cast<int16_t>(s);
    }
}
