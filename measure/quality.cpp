#include "measure/quality.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "measure/fourier.h"

namespace {

double clampedsnr(double signal, double noise) {
    if (noise == 0.0) return snrceiling;
    if (signal == 0.0) return snrfloor;
    return std::clamp(10.0 * std::log10(signal / noise), snrfloor, snrceiling);
}

// FFT bins [first, last) of each critical band below the Nyquist frequency.
std::vector<std::pair<size_t, size_t>> bandbins(int32_t rate) {
    const size_t bins = measureframe / 2 + 1;
    auto binof = [rate, bins](double hz) {
        return std::min(bins, static_cast<size_t>(std::ceil(hz * measureframe / rate)));
    };
    std::vector<std::pair<size_t, size_t>> bands;
    for (size_t j = 0; j < criticaledges.size(); ++j) {
        const size_t first = binof(criticaledges[j]);
        const size_t last = j + 1 < criticaledges.size() ? binof(criticaledges[j + 1]) : bins;
        if (first < last) bands.emplace_back(first, last);
    }
    return bands;
}

double fwsnr(const std::vector<double>& ref, const std::vector<double>& test,
             const std::vector<std::pair<size_t, size_t>>& bands) {
    double weighted = 0.0, weights = 0.0;
    for (const auto& [first, last] : bands) {
        double x = 0.0, y = 0.0;
        for (size_t k = first; k < last; ++k) {
            x += ref[k];
            y += test[k];
        }
        x = std::sqrt(x);
        y = std::sqrt(y);
        const double weight = std::pow(x, bandweightpower);
        weighted += weight * clampedsnr(x * x, (x - y) * (x - y));
        weights += weight;
    }
    return weights > 0.0 ? weighted / weights : snrceiling;
}

double lsd(const std::vector<double>& ref, const std::vector<double>& test) {
    double sum = 0.0;
    for (size_t k = 0; k < ref.size(); ++k) {
        const double d = 10.0 * std::log10((ref[k] + lsdepsilon) / (test[k] + lsdepsilon));
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(ref.size()));
}

// Sums over one channel, or over all channels for the overall figures.
struct tally {
    double signal = 0.0, noise = 0.0, peak = 0.0;
    int64_t samples = 0, identical = 0;
    double segsnr = 0.0, fwsnr = 0.0, lsd = 0.0;
    int64_t frames = 0, silent = 0;

    void add(const tally& o) {
        signal += o.signal;
        noise += o.noise;
        peak = std::max(peak, o.peak);
        samples += o.samples;
        identical += o.identical;
        segsnr += o.segsnr;
        fwsnr += o.fwsnr;
        lsd += o.lsd;
        frames += o.frames;
        silent += o.silent;
    }

    qualitymeasures result() const {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double voiced = static_cast<double>(frames - silent);
        qualitymeasures m;
        if (samples == 0) {
            m.snr = m.segsnr = m.fwsnrseg = m.lsd = m.identical = nan;
            return m;
        }
        m.snr = noise == 0.0 ? std::numeric_limits<double>::infinity()
                             : (signal == 0.0 ? -std::numeric_limits<double>::infinity()
                                              : 10.0 * std::log10(signal / noise));
        m.segsnr = voiced > 0 ? segsnr / voiced : nan;
        m.fwsnrseg = voiced > 0 ? fwsnr / voiced : nan;
        m.lsd = voiced > 0 ? lsd / voiced : nan;
        m.peak = peak;
        m.identical = samples > 0 ? static_cast<double>(identical) / static_cast<double>(samples) : nan;
        m.frames = frames;
        m.silentframes = silent;
        return m;
    }
};

} // namespace

comparison comparesignals(const audiosignal& reference, const audiosignal& test, int64_t delay,
                          bool perframe) {
    comparison out;
    out.delay = delay;
    out.first = std::max<int64_t>(0, -delay);
    const int64_t end = std::min(reference.length(), test.length() - delay);
    out.samples = std::max<int64_t>(0, end - out.first);
    const auto bands = bandbins(reference.rate);
    tally all;
    for (size_t c = 0; c < reference.channels.size(); ++c) {
        if (out.samples == 0) {
            out.channels.push_back(tally{}.result());
            continue;
        }
        const double* r = reference.channels[c].data() + out.first;
        const double* t = test.channels[c].data() + out.first + delay;
        tally ch;
        ch.samples = out.samples;
        for (int64_t n = 0; n < out.samples; ++n) {
            const double d = r[n] - t[n];
            ch.signal += r[n] * r[n];
            ch.noise += d * d;
            ch.peak = std::max(ch.peak, std::fabs(d));
            ch.identical += d == 0.0;
        }
        for (int64_t f = 0; (f + 1) * measureframe <= out.samples; ++f) {
            const double* rf = r + f * measureframe;
            const double* tf = t + f * measureframe;
            double signal = 0.0, noise = 0.0, peak = 0.0;
            for (int32_t n = 0; n < measureframe; ++n) {
                signal += rf[n] * rf[n];
                noise += (rf[n] - tf[n]) * (rf[n] - tf[n]);
                peak = std::max(peak, std::fabs(rf[n] - tf[n]));
            }
            framemeasures fm{f, static_cast<int32_t>(c), signal < silencerms * silencerms * measureframe};
            fm.peak = peak;
            ++ch.frames;
            if (fm.silent) {
                ++ch.silent;
            } else {
                const auto rp = powerspectrum(rf, measureframe);
                const auto tp = powerspectrum(tf, measureframe);
                fm.segsnr = clampedsnr(signal, noise);
                fm.fwsnr = fwsnr(rp, tp, bands);
                fm.lsd = lsd(rp, tp);
                ch.segsnr += fm.segsnr;
                ch.fwsnr += fm.fwsnr;
                ch.lsd += fm.lsd;
            }
            if (perframe) out.frames.push_back(fm);
        }
        out.channels.push_back(ch.result());
        all.add(ch);
    }
    out.overall = all.result();
    return out;
}
