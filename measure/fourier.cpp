#include "measure/fourier.h"

#include <cmath>
#include <numbers>
#include <utility>

void fft(std::vector<std::complex<double>>& data, bool inverse) {
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / static_cast<double>(len);
        for (size_t start = 0; start < n; start += len) {
            for (size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
                const std::complex<double> a = data[start + k];
                const std::complex<double> b = data[start + k + len / 2] * w;
                data[start + k] = a + b;
                data[start + k + len / 2] = a - b;
            }
        }
    }
}

std::vector<double> powerspectrum(const double* x, int32_t n) {
    std::vector<std::complex<double>> data(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
        data[static_cast<size_t>(i)] = x[i] * window;
    }
    fft(data, false);
    std::vector<double> power(static_cast<size_t>(n / 2 + 1));
    for (size_t k = 0; k < power.size(); ++k) power[k] = std::norm(data[k]);
    return power;
}
