#pragma once
// Shared by the decode and scale benchmarks: a document that runs its operations quietly,
// and the benchmark stream: the bundled sample (48 kHz stereo, music-like) decoded and
// encoded again at 128 kbit/s in the default configuration, made once per process.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "encoder/encodefile.h"

namespace benchsupport {

// Messages kept and panel drawing off while it lives.
class quietdocument {
  public:
    quietdocument() {
        doc.window = &window;
        doc.hooks.messages = messagesink([this](const std::string& text) { lastmessage = text; });
    }
    quietdocument(const quietdocument&) = delete;
    quietdocument& operator=(const quietdocument&) = delete;

    CTonvexDoc doc;
    std::string lastmessage;

  private:
    blankwindow window;
};

inline std::filesystem::path benchdir() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tonvex_bench";
    std::filesystem::create_directories(dir);
    return dir;
}

// The 128 kbit/s stream, and its playing time in seconds.
struct benchstream {
    std::string path;
    double seconds = 0.0;
    std::string error;
};

inline const benchstream& stream128() {
    static const benchstream made = [] {
        benchstream s;
        const std::filesystem::path dir = benchdir();
        quietdocument run;
        // The sample beside this source tree (the build passes sources by absolute path).
        const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
        run.doc.bitstreampath = (root / "wav" / "test.ztb").string();
        run.doc.wavpath = (dir / "source.wav").string();
        run.doc.decodeZAT();
        if (!run.doc.stats.completed) {
            s.error = "sample decode failed: " + run.lastmessage;
            return s;
        }
        encodersettings settings;
        settings.bitrate = 128.0;
        encodestats stats;
        s.path = (dir / "stream128.ztb").string();
        if (encodefile(run.doc.wavpath, s.path, settings, s.error, &stats) != 0) return s;
        s.seconds = static_cast<double>(stats.frames) * 1024.0 / 48000.0;
        return s;
    }();
    return made;
}

// Seconds of audio per second of processing.
inline void realtimecounter(benchmark::State& state, double seconds) {
    state.counters["realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace benchsupport
