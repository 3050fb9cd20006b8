#include "bench/quality/measures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "codec/synthesis/fft.h"

namespace {

constexpr size_t framesize = 1024;
constexpr double silent = 1e-7; // mean square of a frame below which it is left out (-70 dBFS)
constexpr double lowest = -10.0, highest = 35.0;
constexpr double tiny = 1e-20; // keeps a band's SNR finite when it is reproduced exactly

double clampdb(double db) {
    return std::clamp(db, lowest, highest);
}

double ratiodb(double signal, double noise) {
    if (noise <= 0.0) return signal > 0.0 ? highest : 0.0;
    return 10.0 * std::log10(signal / noise);
}

// Upper edges of the critical bands in Hz.
constexpr double bandedges[] = {100,  200,  300,  400,  510,   630,   770,  920,  1080,
                                1270, 1480, 1720, 2000, 2320,  2700,  3150, 3700, 4400,
                                5300, 6400, 7700, 9500, 12000, 15500, 1e9};

// Magnitudes of the critical bands of one windowed frame.
class bandanalysis {
  public:
    explicit bandanalysis(double rate)
        : window(framesize), re(framesize), im(framesize), bandof(framesize / 2) {
        for (size_t i = 0; i < framesize; i++)
            window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (i + 0.5) / framesize);
        for (size_t k = 0; k < framesize / 2; k++) {
            const double f = k * rate / framesize;
            size_t b = 0;
            while (f >= bandedges[b]) b++;
            bandof[k] = b;
        }
    }
    void bands(const double* x, std::vector<double>& out) {
        for (size_t i = 0; i < framesize; i++) {
            re[i] = x[i] * window[i];
            im[i] = 0.0;
        }
        fft(re.data(), im.data(), 1, framesize);
        out.assign(std::size(bandedges), 0.0);
        for (size_t k = 0; k < framesize / 2; k++) out[bandof[k]] += std::hypot(re[k], im[k]);
    }

  private:
    std::vector<double> window, re, im;
    std::vector<size_t> bandof;
};

} // namespace

qualitymeasures measurequality(const planar& reference, const planar& decoded, double rate) {
    double signal = 0.0, noise = 0.0, segsum = 0.0, fwsum = 0.0;
    size_t frames = 0;
    bandanalysis analysis(rate);
    std::vector<double> x, y;
    for (size_t ch = 0; ch < reference.size(); ch++) {
        const std::vector<double>& r = reference[ch];
        const std::vector<double>& d = decoded[ch];
        for (size_t at = 0; at + framesize <= r.size(); at += framesize) {
            double es = 0.0, en = 0.0;
            for (size_t i = at; i < at + framesize; i++) {
                es += r[i] * r[i];
                en += (r[i] - d[i]) * (r[i] - d[i]);
            }
            signal += es;
            noise += en;
            if (es < silent * framesize) continue;
            segsum += clampdb(ratiodb(es, en));
            analysis.bands(r.data() + at, x);
            analysis.bands(d.data() + at, y);
            double weighted = 0.0, weights = 0.0;
            for (size_t b = 0; b < x.size(); b++) {
                if (x[b] <= 0.0) continue;
                const double w = std::pow(x[b], 0.2);
                weighted += w * 10.0 * std::log10(x[b] * x[b] / ((x[b] - y[b]) * (x[b] - y[b]) + tiny));
                weights += w;
            }
            fwsum += clampdb(weights > 0.0 ? weighted / weights : 0.0);
            frames++;
        }
    }
    qualitymeasures m;
    m.snr = ratiodb(signal, noise);
    m.segsnr = frames != 0 ? segsum / frames : 0.0;
    m.fwsegsnr = frames != 0 ? fwsum / frames : 0.0;
    return m;
}
