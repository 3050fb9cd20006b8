// End-to-end decoding speed, bitstream file to WAV file, of a 48 kHz stereo stream at
// 128 kbit/s in the default configuration (joint coding, weights in the passes, pass
// CRCs, dither on). The counter "realtime" is seconds of audio decoded per second.
#include <random>
#include <vector>

#include "bench/benchstream.h"
#include "codec/synthesis/imdct.h"

namespace {

using namespace benchsupport;

void decodestream(benchmark::State& state, double ber, int32_t outputbitratemode) {
    const benchstream& stream = stream128();
    if (!stream.error.empty()) {
        state.SkipWithError(stream.error.c_str());
        return;
    }
    const std::string wav = (benchdir() / "decoded.wav").string();
    for (auto _ : state) {
        quietdocument run;
        run.doc.bitstreampath = stream.path;
        run.doc.wavpath = wav;
        run.doc.ber = ber;
        run.doc.outputbitratemode = outputbitratemode;
        run.doc.decodeZAT();
        if (!run.doc.stats.completed) state.SkipWithError(run.lastmessage.c_str());
    }
    realtimecounter(state, stream.seconds);
}

void BM_Decode128(benchmark::State& state) {
    decodestream(state, 0.0, 0);
}
// Bit errors: CRC failures, re-synchronisation and concealment on the way.
void BM_Decode128WithErrors(benchmark::State& state) {
    decodestream(state, 0.001, 0);
}
// Decoding only what 80 kbit/s allows of each frame.
void BM_Decode128At80(benchmark::State& state) {
    decodestream(state, 0.0, 1);
}

// One inverse MDCT of N samples (the argument) of a spectrum whose lower 42% is
// non-zero, as in a long frame of the benchmark stream.
void BM_Imdct(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    std::mt19937 source(5);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> spectrum(n / 2, 0.0), data(n), work(n / 2);
    for (int32_t k = 0; k < n / 2 * 42 / 100; k++) spectrum[k] = value(source);
    for (auto _ : state) {
        std::copy(spectrum.begin(), spectrum.end(), data.begin());
        imdct(data.data(), work.data(), (n / 2 + 1) / 2.0, n);
        benchmark::DoNotOptimize(data.data());
    }
}

BENCHMARK(BM_Imdct)->Arg(2048)->Arg(256);
BENCHMARK(BM_Decode128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode128WithErrors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode128At80)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
