#include "measure/align.h"

#include <algorithm>
#include <complex>

#include "measure/fourier.h"

int64_t searchdelay(const audiosignal& reference, const audiosignal& test, int64_t maxlag) {
    // The beginnings suffice to find a lag, and keep the transform small for long files.
    const int64_t longest = std::min<int64_t>(searchlength, std::max(reference.length(), test.length()));
    size_t size = 1;
    while (static_cast<int64_t>(size) < longest + maxlag + 1) size <<= 1;
    std::vector<std::complex<double>> r(size), t(size);
    for (const auto* signal : {&reference, &test})
        for (const auto& channel : signal->channels)
            for (size_t n = 0; n < std::min(channel.size(), static_cast<size_t>(longest)); ++n)
                (signal == &reference ? r : t)[n] += channel[n];
    fft(r, false);
    fft(t, false);
    for (size_t k = 0; k < size; ++k) t[k] *= std::conj(r[k]);
    fft(t, true); // t[lag mod size] = sum_n test[n + lag] ref[n], scaled by size
    int64_t best = 0;
    double bestvalue = t[0].real();
    for (int64_t lag = 1; lag <= maxlag; ++lag) {
        for (const int64_t candidate : {-lag, lag}) {
            const double value =
                t[static_cast<size_t>((candidate + static_cast<int64_t>(size)) % static_cast<int64_t>(size))]
                    .real();
            if (value > bestvalue) {
                bestvalue = value;
                best = candidate;
            }
        }
    }
    return best;
}
