#include "codec/decoder/codedframe.h"

namespace {

constexpr double fullscale = 2147483647.0;

} // namespace

void clearcoefficients(zatdec& channel, const framespectrum& f) {
    for (int32_t b = 0; b < f.rows; ++b) std::fill_n(channel.mdcti[b].begin(), f.length, 0);
}

void tospectrum(zatdec& channel, const framespectrum& f) {
    for (int32_t b = 0; b < f.rows; ++b)
        for (int32_t i = 0; i < f.length; ++i) channel.mdctbuf[b][i] = channel.mdcti[b][i] / fullscale;
}
