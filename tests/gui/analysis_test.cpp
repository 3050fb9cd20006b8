// The analysis view's waveform: the extremes of any span of the decoded output.
#include <random>

#include "app/gui/waveformsummary.h"
#include "engine/io/wavheader.h"
#include "guitest.h"

TEST(WaveformSummary, ExtremesOfEverySpanMatchAScanOfItsSamples) {
    QTemporaryDir folder;
    const QString path = folder.filePath("noise.wav");
    constexpr int64_t frames = 70000;
    std::vector<int16_t> samples(2 * frames);
    std::mt19937 noise(7);
    for (int16_t& sample : samples) sample = static_cast<int16_t>(static_cast<int>(noise() % 60001) - 30000);
    std::FILE* file = std::fopen(path.toStdString().c_str(), "wb");
    ASSERT_EQ(writewavheader(file, 2, frames, 48000, 16), 0);
    ASSERT_EQ(std::fwrite(samples.data(), 2, samples.size(), file), samples.size()); // little-endian host
    std::fclose(file);

    waveformsummary wave;
    ASSERT_TRUE(wave.open(path));
    EXPECT_EQ(wave.rate(), 48000);
    const std::pair<int64_t, int64_t> spans[] = {{0, 1},      {1, 257},       {255, 16385}, {16384, 32768},
                                                 {0, frames}, {69990, 90000}, {-50, 3},     {5, 5}};
    for (const auto& [first, last] : spans) {
        int16_t low = first < last ? INT16_MAX : 0, high = first < last ? INT16_MIN : 0;
        for (int64_t i = 2 * std::max<int64_t>(first, 0); i < 2 * std::min(last, frames); ++i) {
            low = std::min(low, samples[static_cast<size_t>(i)]);
            high = std::max(high, samples[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(wave.range(first, last), std::make_pair(low, high)) << first << ".." << last;
    }
    EXPECT_FALSE(wave.open(folder.filePath("missing.wav")));
}
