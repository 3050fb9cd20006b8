// End-to-end decoding speed, bitstream file to WAV file, of a 48 kHz stereo stream at
// 128 kbit/s in the default configuration (joint coding, weights in the passes, pass
// CRCs, dither on). The counter "realtime" is seconds of audio decoded per second.
#include "bench/benchstream.h"

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

BENCHMARK(BM_Decode128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode128WithErrors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode128At80)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
