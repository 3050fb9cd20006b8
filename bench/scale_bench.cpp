// Scaling speed, bitstream file to bitstream file, of a 48 kHz stereo stream at 128 kbit/s
// cut to 64 kbit/s. The counter "realtime" is seconds of audio scaled per second.
#include "bench/benchstream.h"

namespace {

using namespace benchsupport;

void BM_Scale128To64(benchmark::State& state) {
    const benchstream& stream = stream128();
    if (!stream.error.empty()) {
        state.SkipWithError(stream.error.c_str());
        return;
    }
    const std::string scaled = (benchdir() / "scaled_s.ztb").string();
    for (auto _ : state) {
        quietdocument run;
        run.doc.bitstreampath = stream.path;
        run.doc.scaledpath = scaled;
        run.doc.scaledbitrate = 64.0;
        run.doc.outputbitratemode = 1;
        run.doc.scaleZAT();
        if (!run.doc.stats.completed) state.SkipWithError(run.lastmessage.c_str());
    }
    realtimecounter(state, stream.seconds);
}

BENCHMARK(BM_Scale128To64)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
