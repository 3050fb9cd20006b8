#include "app/gui/waveformsummary.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {
constexpr int64_t blockframes[2] = {256, 16384};
constexpr int headerbytes = 44;

void widen(std::pair<int16_t, int16_t>& into, const std::pair<int16_t, int16_t>& with) {
    into.first = std::min(into.first, with.first);
    into.second = std::max(into.second, with.second);
}

// Nothing yet: any sample widens it.
constexpr std::pair<int16_t, int16_t> empty = {INT16_MAX, INT16_MIN};
} // namespace

bool waveformsummary::open(const QString& path) {
    close();
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < headerbytes) {
        close();
        return false;
    }
    const uchar* head = file.map(0, file.size());
    const auto u16 = [head](int at) { return qFromLittleEndian<quint16>(head + at); };
    if (!head || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVEfmt ", 8) != 0 ||
        std::memcmp(head + 36, "data", 4) != 0 || u16(20) != 1 || u16(34) != 16 || u16(22) == 0) {
        close();
        return false;
    }
    channels = u16(22);
    samplerate = static_cast<int32_t>(qFromLittleEndian<quint32>(head + 24));
    samples = head + headerbytes;
    // The data the file really holds, whatever its header announces.
    count = (file.size() - headerbytes) / (2 * channels);
    for (int level = 0; level < 2; ++level) {
        const int64_t blocks = (count + blockframes[level] - 1) / blockframes[level];
        levels[level].assign(static_cast<size_t>(blocks), empty);
        for (int64_t b = 0; b < blocks; ++b) {
            const int64_t first = b * blockframes[level];
            const int64_t last = std::min(count, first + blockframes[level]);
            levels[level][static_cast<size_t>(b)] =
                level == 0 ? rawrange(first, last) : rangeat(0, first, last);
        }
    }
    return true;
}

void waveformsummary::close() {
    file.close();
    samples = nullptr;
    channels = 0;
    samplerate = 0;
    count = 0;
    for (auto& level : levels) level.clear();
}

std::pair<int16_t, int16_t> waveformsummary::range(int64_t first, int64_t last) const {
    first = std::max<int64_t>(first, 0);
    last = std::min(last, count);
    if (first >= last) return {0, 0};
    return rangeat(1, first, last);
}

waveformsummary::extremes waveformsummary::rawrange(int64_t first, int64_t last) const {
    extremes found = empty;
    for (int64_t i = first * channels; i < last * channels; ++i) {
        const auto sample = qFromLittleEndian<qint16>(samples + 2 * i);
        widen(found, {sample, sample});
    }
    return found;
}

waveformsummary::extremes waveformsummary::rangeat(int level, int64_t first, int64_t last) const {
    if (level < 0) return rawrange(first, last);
    // Whole blocks of this level in the middle, the ragged ends from the finer one.
    const int64_t size = blockframes[level];
    const int64_t inner = (first + size - 1) / size, outer = last / size;
    if (inner >= outer) return rangeat(level - 1, first, last);
    extremes found = rangeat(level - 1, first, inner * size);
    for (int64_t b = inner; b < outer; ++b) widen(found, levels[level][static_cast<size_t>(b)]);
    widen(found, rangeat(level - 1, outer * size, last));
    return found;
}
