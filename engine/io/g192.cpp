#include "engine/io/g192.h"

#include <cstdio>

#include "engine/io/wordio.h"

namespace {

std::string hexword(uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(word));
    return text;
}

bool issoftbit(uint16_t word) {
    return word == g192_softzero || word == g192_softone;
}

bool issync(uint16_t word) {
    return word == g192_goodframe || word == g192_erasedframe;
}

} // namespace

std::optional<errorpattern> readpattern(const std::string& path, std::string& error) {
    const std::string named = "error pattern file " + path;
    filehandle file = openfile(path, "rb");
    const int64_t bytes = file ? filesize(file.get()) : -1;
    if (bytes < 0) {
        error = "cannot read " + named;
        return std::nullopt;
    }
    if (bytes == 0 || bytes % 2 != 0) {
        error = named + " is not in G.192 format: " +
                (bytes == 0 ? std::string("it is empty") : "it ends in half a 16-bit word");
        return std::nullopt;
    }
    std::vector<uint16_t> words(static_cast<size_t>(bytes / 2));
    const auto count = static_cast<int32_t>(words.size());
    if (static_cast<int64_t>(count) != bytes / 2 || readwords(file.get(), words.data(), count) != count) {
        error = "cannot read " + named;
        return std::nullopt;
    }

    errorpattern pattern;
    pattern.kind = issync(words[0]) ? errorpattern::frames : errorpattern::bits;
    pattern.marks.reserve(words.size());
    for (size_t i = 0; i < words.size(); i++) {
        const uint16_t word = words[i];
        const bool fits = pattern.kind == errorpattern::frames ? issync(word) : issoftbit(word);
        if (!fits) {
            error = named + " is not in G.192 format: word " + std::to_string(i) + " is " + hexword(word) +
                    (issync(word) || issoftbit(word)
                         ? ", but a file holds either frame sync words or softbits, not both"
                         : ", neither a softbit (0x007F, 0x0081) nor a frame sync word (0x6B21, 0x6B20)");
            return std::nullopt;
        }
        pattern.marks.push_back(word == g192_softone || word == g192_erasedframe ? 1 : 0);
    }
    return pattern;
}

bool writepattern(const std::string& path, const errorpattern& pattern) {
    const bool frames = pattern.kind == errorpattern::frames;
    std::vector<uint16_t> words;
    words.reserve(pattern.marks.size());
    for (const uint8_t mark : pattern.marks)
        words.push_back(frames ? (mark ? g192_erasedframe : g192_goodframe)
                               : (mark ? g192_softone : g192_softzero));
    filehandle file = openfile(path, "wb");
    if (!file) return false;
    const auto count = static_cast<int32_t>(words.size());
    if (static_cast<size_t>(count) != words.size()) return false;
    if (writewords(file.get(), words.data(), count) != count) return false;
    return closefile(file);
}
