#pragma once
// Band gains by level. A stream uses few distinct levels (weights times the step), so a
// level seen before returns the very double the power gave it, without the power.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

class gaincache {
  public:
    // gain(level) for a level, computed by gain only on a miss; levels are told apart by
    // their bits, so the result is always exactly gain(level).
    template <class computation> double lookup(double level, computation gain) {
        const auto bits = std::bit_cast<uint64_t>(level);
        const std::size_t slot = (bits * 0x9E3779B97F4A7C15ull) >> (64 - slotbits);
        entry& e = entries[slot];
        if (!e.used || e.level != bits) e = {true, bits, gain(level)};
        return e.gain;
    }

  private:
    static constexpr int slotbits = 8;
    struct entry {
        bool used = false;
        uint64_t level = 0;
        double gain = 0.0;
    };
    std::array<entry, std::size_t{1} << slotbits> entries{};
};
