#pragma once
// A decoded WAV file as the analysis view draws it: the lowest and highest sample over any
// span of frames, all channels together. The file is mapped, not read; minima and maxima
// of blocks of 256 and of 16384 frames are built once, so a span costs at most a few
// hundred steps however long the file is, and hours of audio draw as fast as seconds.
#include <QFile>
#include <cstdint>
#include <utility>
#include <vector>

class waveformsummary {
  public:
    // Opens a 16-bit PCM file with the 44-byte header the decoder writes; false (and
    // nothing open) for any other file.
    bool open(const QString& path);
    void close();

    int64_t frames() const { return count; }
    int32_t rate() const { return samplerate; }
    // Lowest and highest sample of the frames first to last - 1; {0, 0} for none.
    std::pair<int16_t, int16_t> range(int64_t first, int64_t last) const;

  private:
    using extremes = std::pair<int16_t, int16_t>;
    extremes rangeat(int level, int64_t first, int64_t last) const;
    extremes rawrange(int64_t first, int64_t last) const;

    QFile file;
    const uchar* samples = nullptr;
    int channels = 0;
    int32_t samplerate = 0;
    int64_t count = 0;
    // levels[0] per 256 frames, levels[1] per 16384 frames (64 blocks of the first).
    std::vector<extremes> levels[2];
};
