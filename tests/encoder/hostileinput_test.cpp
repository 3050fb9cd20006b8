// Samples no audio file should hold (NaN, infinities, values near the top of the double
// range) are coded as silence and full scale: the stream is the one of the clipped input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "encoder/streamencoder.h"

namespace {

std::vector<uint16_t> encodeframes(const std::vector<double>& samples) {
    streamencoder encoder;
    EXPECT_EQ(encoder.open(encodersettings{}, 1, 7), "");
    std::vector<uint16_t> out;
    for (size_t at = 0; at < samples.size(); at += streamencoder::framelen) {
        const double* input[1] = {samples.data() + at};
        encoder.push(input, out);
    }
    encoder.finish(static_cast<int64_t>(samples.size()), out);
    return out;
}

} // namespace

TEST(EncoderInput, NonFiniteAndHugeSamplesCodeAsSilenceAndFullScale) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> hostile(4 * streamencoder::framelen), clipped(hostile.size());
    for (size_t i = 0; i < hostile.size(); ++i) hostile[i] = clipped[i] = 0.5 * std::sin(0.05 * double(i));
    const std::pair<double, double> cases[] = {
        {NAN, 0.0}, {inf, 1.0}, {-inf, -1.0}, {1.7e308, 1.0}, {-3.0, -1.0}};
    for (size_t k = 0; k < std::size(cases); ++k)
        for (size_t i = 700 * k + 5; i < hostile.size(); i += 3500) {
            hostile[i] = cases[k].first;
            clipped[i] = cases[k].second;
        }
    EXPECT_EQ(encodeframes(hostile), encodeframes(clipped));
}
