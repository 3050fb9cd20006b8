#include "roundtrip.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <random>

#include "base/random.h"
#include "encoder/encodefile.h"

namespace {
constexpr double pi = std::numbers::pi;

// 10 ms raised-cosine fade in and out: the tone signals start and end without a click.
void fade(testsignal& s) {
    const size_t n = s.frames();
    const auto len = std::min(n / 2, static_cast<size_t>(s.rate / 100));
    for (size_t i = 0; i < len; i++) {
        const double g = 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / static_cast<double>(len));
        for (int ch = 0; ch < s.channels; ch++) {
            s.samples[i * s.channels + ch] *= g;
            s.samples[(n - 1 - i) * s.channels + ch] *= g;
        }
    }
}
} // namespace

testsignal sine(int rate, double hz, double amplitude, double seconds) {
    testsignal s;
    s.rate = rate;
    const auto n = static_cast<size_t>(seconds * rate);
    s.samples.resize(n);
    for (size_t i = 0; i < n; i++) s.samples[i] = amplitude * std::sin(2.0 * pi * hz * i / rate);
    fade(s);
    return s;
}

testsignal musiclike(int rate, int channels, double seconds) {
    testsignal s;
    s.channels = channels;
    s.rate = rate;
    const auto n = static_cast<size_t>(seconds * rate);
    s.samples.assign(n * channels, 0.0);
    std::mt19937 rng(12345);
    std::normal_distribution<double> noise(0.0, 1.0);
    const double notes[] = {220.0, 277.18, 329.63, 440.0, 369.99, 293.66};
    const size_t notelen = static_cast<size_t>(0.25 * rate);
    const size_t clickevery = static_cast<size_t>(0.3 * rate);
    double hp = 0.0;
    for (size_t i = 0; i < n; i++) {
        const double t = static_cast<double>(i) / rate;
        const double f = notes[i / notelen % 6];
        const double local = static_cast<double>(i % notelen) / rate;
        // Sharp attack, exponential decay.
        const double env = std::min(1.0, local / 0.002) * std::exp(-local * 6.0);
        double tone = 0.0;
        for (int h = 1; h <= 8; h++)
            if (f * h < rate / 2.2) tone += std::sin(2 * pi * f * h * t) / h;
        hp = noise(rng) - 0.7 * hp; // a brighter noise bed
        // A click every 0.3 s, and a roll of clicks every 20 ms from 0.6 to 0.9 s.
        const size_t since = t >= 0.6 && t < 0.9 ? i % static_cast<size_t>(0.02 * rate) : i % clickevery;
        double click = 0.0;
        if (since < 24) click = (since % 2 == 0 ? 0.5 : -0.5) * std::exp(-double(since) / 6.0);
        for (int ch = 0; ch < channels; ch++) // panned
            s.samples[i * channels + ch] = 0.25 * env * tone * (ch == 0 ? 1.0 : 0.7) + 0.01 * hp + click;
    }
    return s;
}

void writewavfile(const std::string& file, const testsignal& s) {
    SF_INFO info{};
    info.channels = s.channels;
    info.samplerate = s.rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_DOUBLE;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_double(f, s.samples.data(), static_cast<sf_count_t>(s.frames()));
    sf_close(f);
}

int encodertest::encode(const testsignal& s, const encodersettings& settings, const std::string& name) {
    writewavfile(path(name + ".wav"), s);
    return encodefile(path(name + ".wav"), path(name + ".ztb"), settings, error);
}

std::vector<double> encodertest::decode(const encodersettings& s, const std::string& name,
                                        double scaledkbps) {
    doc.config = s.coding;
    doc.dither = 0;
    doc.outputbitratemode = scaledkbps > 0.0 ? 1 : 0;
    doc.scaledbitrate = scaledkbps; // read in scaled mode only
    doc.bitstreamname = name + ".ztb";
    doc.wavname = name + "_out.wav";
    doc.updatepaths();
    doc.decodeZAT();
    SF_INFO info{};
    SNDFILE* f = sf_open(doc.wavpath.c_str(), SFM_READ, &info);
    if (f == nullptr) return {};
    std::vector<double> out(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_double(f, out.data(), info.frames);
    sf_close(f);
    return out;
}

double encodertest::snr(const testsignal& in, const std::vector<double>& out) {
    const size_t delay = 1024 * static_cast<size_t>(in.channels);
    double signalpower = 0.0, noisepower = 0.0;
    for (size_t i = 0; i < in.samples.size(); i++) {
        const double o = i + delay < out.size() ? out[i + delay] : 0.0;
        signalpower += in.samples[i] * in.samples[i];
        noisepower += (o - in.samples[i]) * (o - in.samples[i]);
    }
    return 10.0 * std::log10(signalpower / std::max(noisepower, 1e-30));
}

double encodertest::roundtripsnr(const testsignal& s, const encodersettings& settings) {
    EXPECT_EQ(encode(s, settings), 0) << error;
    return snr(s, decode(settings));
}
