#pragma once
// The program's single pseudo-random source, standing in for the C library's rand():
// values 0..32767, shared in call order by the bit-error injection, the dither, the
// packer's error injection and the concealment signs and noise. It is the classic
// linear congruential generator, so every run is reproducible on every platform:
// state starts at 1; each draw sets state = state * 214013 + 2531011 (mod 2^32) and
// returns bits 16..30 of the new state.
#include <cstdint>

inline constexpr int random_max = 32767;

// One draw, 0..32767.
int random_draw();

// Sets the generator state (1 is the state the program starts with).
void random_seed(std::uint32_t state);

// The current generator state, so that a run can report or restore it.
std::uint32_t random_state();
