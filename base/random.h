#pragma once
// The program's single pseudo-random source, standing in for the C library's rand():
// values 0..32767, shared in call order by the bit-error injection, the dither, the
// packer's error injection and the concealment signs and noise. It is the classic
// linear congruential generator, so every run is reproducible on every platform:
// state starts at 1; each draw sets state = state * 214013 + 2531011 (mod 2^32) and
// returns bits 16..30 of the new state.
//
// The draw is inline because the dither and the bit-error injection draw per sample and
// per bit; the state itself belongs to the functions below and nothing else touches it.
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

constexpr int valueof(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

inline std::uint32_t state = 1;

} // namespace randomgenerator

// One draw, 0..32767.
inline int random_draw() {
    randomgenerator::state = randomgenerator::onestep.apply(randomgenerator::state);
    return randomgenerator::valueof(randomgenerator::state);
}

// Advances the source by n draws at once, exactly as n calls of random_draw whose values
// go unused would, in about log2(n) steps: for a caller whose draws cannot change its
// result (bit errors at a rate of 0 never flip a bit), but whose draws the rest of the run
// must still see taken.
void random_skip(std::uint64_t n);

// Sets the generator state (1 is the state the program starts with).
void random_seed(std::uint32_t state);

// The current generator state, so that a run can report or restore it.
std::uint32_t random_state();

// A run of draws from the program's source with the state held locally, so that a tight
// loop keeps it in a register; the source continues from where the run stopped. Nothing
// else may draw while a run is open.
class randomrun {
  public:
    randomrun() : state(random_state()) {}
    ~randomrun() { random_seed(state); }
    randomrun(const randomrun&) = delete;
    randomrun& operator=(const randomrun&) = delete;

    int draw() {
        state = randomgenerator::onestep.apply(state);
        return randomgenerator::valueof(state);
    }
    // The next n draws into values[0..n-1]. Four at a time, each of the four states
    // computed from the same predecessor by its own jump, so that the multiplications do
    // not wait on each other.
    void fill(int* values, std::int32_t n) {
        using randomgenerator::jumpof;
        using randomgenerator::valueof;
        constexpr randomgenerator::jump one = jumpof(1), two = jumpof(2), three = jumpof(3), four = jumpof(4);
        std::int32_t i = 0;
        for (; i + 4 <= n; i += 4) {
            values[i] = valueof(one.apply(state));
            values[i + 1] = valueof(two.apply(state));
            values[i + 2] = valueof(three.apply(state));
            state = four.apply(state);
            values[i + 3] = valueof(state);
        }
        for (; i < n; i++) values[i] = draw();
    }

  private:
    std::uint32_t state;
};
