#include "engine/errors/twostatechannel.h"

#include "base/random.h"

double fineuniform() {
    const int high = random_draw();
    const int low = random_draw();
    return (static_cast<double>(high) * 32768.0 + static_cast<double>(low)) / 1073741824.0;
}

bool twostatechannel::pass(double rate, double gamma) {
    const double threshold = bad ? rate + gamma * (1.0 - rate) : rate * (1.0 - gamma);
    bad = fineuniform() < threshold;
    return bad;
}
