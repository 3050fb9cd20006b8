#include "fuzz/outcomes.h"

#include <algorithm>

#include "app/CTonvexDoc.h"
#include "engine/readframe.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) | static_cast<uint32_t>(b[at + 3])
                                                                                 << 24;
}

uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

bool tagged(const std::vector<uint8_t>& b, size_t at, const char* tag) {
    return std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

decodeheader headerconfig(CTonvexDoc& doc) {
    // The walk only keeps the file; nothing is read here.
    const framereader walk(doc, nullptr, 0, false);
    return walk.header;
}

int64_t framebound(const CTonvexDoc& doc, int64_t bytes) {
    const int64_t H = headerwords_for(doc.config.weighton, doc.config.weightmode, doc.config.jointcoding);
    return 16 * (bytes / (2 * H) + 1);
}

std::string wavfault(const std::vector<uint8_t>& wav, bool exists, const CTonvexDoc& doc, bool told) {
    if (!exists) return told ? "" : "no WAV file and no message";
    if (wav.size() < 44) return "WAV file shorter than its header";
    if (!doc.stats.completed) return told ? "" : "stopped without a message";
    if (!tagged(wav, 0, "RIFF") || !tagged(wav, 8, "WAVE") || !tagged(wav, 12, "fmt ") ||
        !tagged(wav, 36, "data"))
        return "WAV header without its tags";
    if (le32(wav, 4) != wav.size() - 8) return "RIFF size disagrees with the file";
    if (le32(wav, 40) != wav.size() - 44) return "data size disagrees with the file";
    const uint16_t channels = le16(wav, 22);
    if (channels < 1 || channels > 2) return "WAV header with " + std::to_string(channels) + " channels";
    const uint64_t expected =
        static_cast<uint64_t>(doc.stats.frameswritten) * static_cast<uint64_t>(doc.framelen) * channels * 2;
    if (le32(wav, 40) != expected) return "data size disagrees with the frames written";
    return "";
}

std::string scaledfault(const std::vector<uint16_t>& words, const decodeheader& config, int64_t written) {
    std::vector<uint16_t> buffer(words);
    buffer.push_back(0); // the reader's look-ahead word
    decodeheader header = config;
    const int16_t H = config.headerwords;
    size_t offset = 0;
    int64_t frames = 0;
    while (offset < words.size()) {
        if (offset + static_cast<size_t>(H) > words.size()) return "scaled stream ends inside a header";
        header.wordbuf = buffer.data() + offset;
        header.read();
        if (words[offset] != syncword ||
            header.crc16(buffer.data() + offset + 1, static_cast<uint32_t>(H - 1)) != 0)
            return "scaled frame " + std::to_string(frames) + " has a damaged header";
        if (header.frameindex != frames % 16) return "scaled frame indices not consecutive";
        if (header.framewords < std::max<int16_t>(8, H)) return "scaled frame shorter than its header";
        offset += static_cast<size_t>(header.framewords);
        frames += 1;
    }
    if (offset != words.size()) return "scaled stream ends inside a frame";
    if (frames != written) return "scaled stream holds another number of frames than reported";
    return "";
}
