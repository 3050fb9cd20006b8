#include "base/random.h"

void random_skip(std::uint64_t n) {
    randomgenerator::state = randomgenerator::jumpof(n).apply(randomgenerator::state);
}

void random_seed(std::uint32_t state) {
    randomgenerator::state = state;
}

std::uint32_t random_state() {
    return randomgenerator::state;
}
