// Encoding speed of the stream encoder on a 48 kHz stereo music-like signal, in memory.
// The counter "realtime" is seconds of audio coded per second of processing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "encoder/streamencoder.h"

namespace {

constexpr int rate = 48000;
constexpr int seconds = 10;

// Two channels of harmonic tones with decaying envelopes over a noise bed, planar.
std::vector<double> musiclike(int channel) {
    std::vector<double> x(static_cast<size_t>(rate) * seconds);
    std::mt19937 rng(7 + channel);
    std::normal_distribution<double> noise(0.0, 1.0);
    const double notes[] = {220.0, 277.18, 329.63, 440.0};
    for (size_t i = 0; i < x.size(); i++) {
        const double t = static_cast<double>(i) / rate;
        const double f = notes[(i / 12000) % 4] * (channel == 0 ? 1.0 : 1.5);
        const double local = static_cast<double>(i % 12000) / rate;
        double tone = 0.0;
        for (int h = 1; h <= 6; h++) tone += std::sin(2 * std::numbers::pi * f * h * t) / h;
        x[i] = 0.3 * std::exp(-4.0 * local) * tone + 0.01 * noise(rng);
    }
    return x;
}

void encodestereo(benchmark::State& state, int32_t jointcoding, double kbps,
                  encodertune tune = encodertune::snr) {
    const std::vector<double> left = musiclike(0), right = musiclike(1);
    encodersettings settings;
    settings.bitrate = kbps;
    settings.coding.jointcoding = jointcoding;
    settings.tune = tune;
    std::vector<uint16_t> out;
    for (auto _ : state) {
        streamencoder encoder;
        if (!encoder.open(settings, 2, 7).empty()) state.SkipWithError("settings refused");
        for (size_t at = 0; at + streamencoder::framelen <= left.size(); at += streamencoder::framelen) {
            const double* frame[2] = {left.data() + at, right.data() + at};
            out.clear();
            encoder.push(frame, out);
        }
        out.clear();
        encoder.finish(static_cast<int64_t>(left.size()), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["realtime"] = benchmark::Counter(
        static_cast<double>(seconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EncodeJoint128(benchmark::State& state) {
    encodestereo(state, 1, 128.0);
}
void BM_EncodeSeparate128(benchmark::State& state) {
    encodestereo(state, 0, 128.0);
}
void BM_EncodeJoint256(benchmark::State& state) {
    encodestereo(state, 1, 256.0);
}
void BM_EncodeJoint128Perceptual(benchmark::State& state) {
    encodestereo(state, 1, 128.0, encodertune::perceptual);
}

BENCHMARK(BM_EncodeJoint128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeSeparate128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJoint256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJoint128Perceptual)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
