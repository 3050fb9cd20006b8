#include "engine/errors/twostatechannel.h"

double fineuniform(randomsource& random) {
    const int high = random.draw();
    const int low = random.draw();
    return (static_cast<double>(high) * 32768.0 + static_cast<double>(low)) / 1073741824.0;
}

bool twostatechannel::pass(randomsource& random, double rate, double gamma) {
    const double threshold = bad ? rate + gamma * (1.0 - rate) : rate * (1.0 - gamma);
    bad = fineuniform(random) < threshold;
    return bad;
}
