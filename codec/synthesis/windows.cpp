#include "codec/synthesis/windows.h"

#include <cmath>
#include <numbers>

void sinewindow(double* table, int32_t length) {
    for (int32_t i = 0; i < length / 2; i++) table[i] = std::sin((i + 0.5) * std::numbers::pi / length);
}

void kbdwindow(double* table, double alpha, int32_t length) {
    const int32_t half = length / 2;
    const int32_t quarter = length / 4;
    const double norm = besseli0(std::numbers::pi * alpha);
    // The kernel has one term more than the half window; the last term only enters the
    // total that normalises the running sums.
    double sum = 0.0;
    for (int32_t i = 0; i <= half; i++) {
        const double x = static_cast<double>(i) / quarter - 1.0;
        const double t = 1.0 - x * x;
        sum = sum + besseli0(std::numbers::pi * alpha * std::sqrt(t)) / norm;
        if (i < half) table[i] = sum;
    }
    for (int32_t i = 0; i < half; i++) table[i] = std::sqrt(table[i] / sum);
}

double besseli0(double x) {
    double sum = 0.0;
    double num = 1.0;
    double den = 1.0;
    int32_t k = 0;
    double term;
    do {
        const double ratio = num / den;
        term = ratio * ratio;
        sum = sum + term;
        num = num * (x / 2.0);
        k = k + 1;
        den = den * k;
    } while (term > 1e-10);
    return sum;
}
