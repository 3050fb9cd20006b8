#pragma once
// Power spectra of Hann-windowed frames, for the spectral measures.
#include <complex>
#include <cstdint>
#include <vector>

// In-place radix-2 FFT; the size must be a power of two.
void fft(std::vector<std::complex<double>>& data, bool inverse);

// |X(k)|^2 for k = 0..n/2 of the frame x[0..n) under a periodic Hann window; n a power of two.
std::vector<double> powerspectrum(const double* x, int32_t n);
