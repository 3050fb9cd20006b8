#pragma once
// The word offsets of the frames of an undamaged stream, walked by the length fields of its
// headers as the reader configured like config reads them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/format/frameheader.h"

inline std::vector<size_t> frameoffsets(const std::vector<uint16_t>& words, const decodeheader& config = {}) {
    std::vector<uint16_t> buffer(words);
    buffer.push_back(0);
    decodeheader header = config;
    std::vector<size_t> offsets;
    for (size_t offset = 0; offset + config.headerwords <= words.size();) {
        header.wordbuf = buffer.data() + offset;
        header.read();
        if (header.framewords < config.headerwords) break;
        offsets.push_back(offset);
        offset += static_cast<size_t>(header.framewords);
    }
    return offsets;
}
