#include "drivers/random.h"

namespace {
std::uint32_t generatorstate = 1;
}

int random_draw() {
    generatorstate = generatorstate * 214013u + 2531011u;
    return static_cast<int>((generatorstate >> 16) & 0x7FFFu);
}

void random_seed(std::uint32_t state) { generatorstate = state; }

std::uint32_t random_state() { return generatorstate; }
