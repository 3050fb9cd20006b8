#pragma once
// Builds test payloads with the project's own bit packer: fields in transmission order,
// optionally marked as protected so that the matching pass CRC word can be appended.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/bitstream.h"

class payloadbuilder {
  public:
    // '0' and '1' characters; blanks separate fields for the reader's eye only.
    payloadbuilder& bits(const std::string& text, bool protectedbits = false) {
        for (char c : text)
            if (c == '0' || c == '1') field(c == '1' ? 1u : 0u, 1, protectedbits);
        return *this;
    }
    payloadbuilder& field(uint32_t value, int nbits, bool protectedbits = false) {
        fields.emplace_back(value, nbits);
        if (protectedbits) pass.emplace_back(value, nbits);
        count += nbits;
        return *this;
    }
    // The CRC word of the protected fields since the previous pass (XOR damage), then a
    // fresh pass.
    payloadbuilder& crcword(uint16_t damage = 0) {
        const std::vector<uint16_t> words = pack(pass, 0);
        const uint16_t crc = bitstream().crc16(words.data(), static_cast<uint32_t>(words.size()));
        pass.clear();
        return field(static_cast<uint16_t>(crc ^ damage), 16);
    }
    // The CRC the decoder collects for the protected fields of the current pass.
    uint16_t passcrc() const {
        const std::vector<uint16_t> words = pack(pass, 0);
        return bitstream().crc16(words.data(), static_cast<uint32_t>(words.size()));
    }
    int32_t size() const { return count; }
    // The packed words, a partial last word padded with zeros, then spare zero words.
    std::vector<uint16_t> words(size_t spare = 1) const { return pack(fields, spare); }

  private:
    std::vector<std::pair<uint32_t, int>> fields, pass;
    int32_t count = 0;

    static std::vector<uint16_t> pack(const std::vector<std::pair<uint32_t, int>>& list, size_t spare) {
        size_t nbits = 0;
        for (const auto& f : list) nbits += static_cast<size_t>(f.second);
        std::vector<uint16_t> clean((nbits + 15) / 16 + 1 + spare, 0), errors(clean.size(), 0);
        bitstream packer;
        packer.wordbuf = clean.data();
        packer.errbuf = errors.data();
        packer.resetbits();
        packer.curword = 0;
        packer.errword = 0;
        for (const auto& [value, width] : list) {
            int remaining = width; // wide fields go in pieces of at most 16 bits
            while (remaining > 0) {
                const int piece = remaining > 16 ? 16 : remaining;
                const int shift = remaining - piece; // bits above 32 of a wide field are 0
                const uint32_t part = shift >= 32 ? 0u : (value >> shift) & ((1u << piece) - 1u);
                const int16_t v = static_cast<int16_t>(part);
                packer.packbits(&v, 1, static_cast<int16_t>(piece), 0);
                remaining -= piece;
            }
        }
        packer.flushbits();
        clean.resize((nbits + 15) / 16 + spare);
        return clean;
    }
};
