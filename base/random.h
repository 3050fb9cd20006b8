#pragma once
// The pseudo-random source, standing in for the C library's rand(): values 0..32767,
// shared in call order by the bit-error injection, the dither and the concealment signs
// and noise of one operation. It is the classic
// linear congruential generator, so every run is reproducible on every platform:
// state starts at 1; each draw sets state = state * 214013 + 2531011 (mod 2^32) and
// returns bits 16..30 of the new state.
//
// The draw is inline because the dither and the bit-error injection draw per sample and
// per bit.
#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr int random_max = 32767;

namespace randomgenerator {

// n steps of the generator at once: state' = multiplier * state + increment (mod 2^32).
struct jump {
    std::uint32_t multiplier = 1, increment = 0;

    constexpr std::uint32_t apply(std::uint32_t state) const { return state * multiplier + increment; }
    // This jump, then `after`.
    constexpr jump then(const jump& after) const {
        return {after.multiplier * multiplier, after.multiplier * increment + after.increment};
    }
};

inline constexpr jump onestep{214013u, 2531011u};

// The jump of n steps, by repeated squaring of one step.
constexpr jump jumpof(std::uint64_t n) {
    jump result, power = onestep;
    for (; n != 0; n >>= 1) {
        if ((n & 1) != 0) result = result.then(power);
        power = power.then(power);
    }
    return result;
}

// One field of the jumps of 1..lanes steps, for draws made side by side.
template <std::size_t lanes>
constexpr std::array<std::uint32_t, lanes> lanejumps(std::uint32_t jump::*field) {
    std::array<std::uint32_t, lanes> fields{};
    for (std::size_t j = 0; j < lanes; j++) fields[j] = jumpof(j + 1).*field;
    return fields;
}

constexpr int valueof(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

} // namespace randomgenerator

// One pseudo-random source: values 0..32767. An operation owns one and hands it to every
// part that draws, so that the draws of one run follow its own order and never another's.
class randomsource {
  public:
    // 1 is the state a fresh program starts with.
    explicit randomsource(std::uint32_t seed = 1) : current(seed) {}

    // One draw, 0..32767.
    int draw() {
        current = randomgenerator::onestep.apply(current);
        return randomgenerator::valueof(current);
    }
    // Advances the source by n draws at once, exactly as n calls of draw whose values go
    // unused would, in about log2(n) steps: for a caller whose draws cannot change its
    // result (bit errors at a rate of 0 never flip a bit), but whose draws the rest of the
    // run must still see taken.
    void skip(std::uint64_t n) { current = randomgenerator::jumpof(n).apply(current); }
    void seed(std::uint32_t state) { current = state; }
    // The current generator state, so that a run can report or restore it.
    std::uint32_t state() const { return current; }

  private:
    std::uint32_t current;
};

// A run of draws from a source with the state held locally, so that a tight loop keeps
// it in a register; the source continues from where the run stopped. Nothing else may
// draw from the source while a run is open.
class randomrun {
  public:
    explicit randomrun(randomsource& source) : source(source), state(source.state()) {}
    ~randomrun() { source.seed(state); }
    randomrun(const randomrun&) = delete;
    randomrun& operator=(const randomrun&) = delete;

    int draw() {
        state = randomgenerator::onestep.apply(state);
        return randomgenerator::valueof(state);
    }
    // The next n draws into values[0..n-1]. Eight at a time, each of the eight states
    // computed from the same predecessor by its own jump, so that the multiplications do
    // not wait on each other and run side by side in vector registers.
    void fill(int* values, std::int32_t n) {
        constexpr std::size_t lanes = 8;
        using randomgenerator::jump;
        constexpr std::array<std::uint32_t, lanes> multiplier =
            randomgenerator::lanejumps<lanes>(&jump::multiplier);
        constexpr std::array<std::uint32_t, lanes> increment =
            randomgenerator::lanejumps<lanes>(&jump::increment);
        std::int32_t i = 0;
        for (; i + std::int32_t{lanes} <= n; i += lanes) {
            const std::uint32_t from = state;
            for (std::size_t j = 0; j < lanes; j++)
                values[i + j] = randomgenerator::valueof(from * multiplier[j] + increment[j]);
            state = from * multiplier[lanes - 1] + increment[lanes - 1];
        }
        for (; i < n; i++) values[i] = draw();
    }

  private:
    randomsource& source;
    std::uint32_t state;
};
