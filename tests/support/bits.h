#pragma once
// Words from a string of '0' and '1' (other characters only separate fields for the
// reader's eye), most significant bit first, the last word padded with zeros, then spare
// zero words: payloads and headers written out bit by bit, independent of the packer.
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint16_t> wordsfrombits(const std::string& bits, size_t spare = 0) {
    std::vector<uint16_t> words;
    int filled = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (filled % 16 == 0) words.push_back(0);
        if (c == '1') words.back() = static_cast<uint16_t>(words.back() | (0x8000 >> (filled % 16)));
        ++filled;
    }
    words.resize(words.size() + spare, 0);
    return words;
}
