#pragma once
// What both drivers post at the end of a run: the timing of the run against the playing
// time of its frames, and bitrate figures that stay defined when no frame was handled.
#include <chrono>
#include <cstdint>
#include <string>

class CTonvexDoc;
class framewindow;

// Monotonic, sub-millisecond: a whole-second clock would report almost every run as
// faster than the 0.005 s threshold.
class runclock {
  public:
    runclock() : start(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

  private:
    std::chrono::steady_clock::time_point start;
};

// The sample rate in Hz of a rate in kHz, rounded; a rate no table gives (NaN, negative,
// beyond 32 bits) is 0 rather than an undefined conversion.
int32_t ratehz(double fs_khz);
// Whole percent of a file handled, 0..100 (0 for an empty file).
int32_t progresspercent(int64_t handled, int64_t total);
// Processing time over playing time: rate x elapsed / samples; 0.0 for no samples.
double realtimeratio(int32_t rate, double elapsed, int64_t samples);
// "<prefix> in %.2lf times real time" when elapsed exceeds 0.005 s, else the prefix alone.
std::string completiontext(const std::string& prefix, double elapsed, double ratio);
// kbit/s of words spread over frames: words x 16 x fs_khz / (framelen x frames); 0.0 for
// no frames.
double bitratefigure(int64_t words, double fs_khz, int32_t framelen, int64_t frames);

// The end of a run: the status line "<prefix>[ in %.2lf times real time]" and the five
// result rows (blank, input bitrate, output bitrate under outlabel, blank, bit error
// rate), each drawn through the window.
struct runfigures {
    int32_t rate = 0;
    double elapsed = 0.0;
    int64_t frames = 0;
    int64_t inwords = 0, outwords = 0;
    double biterrorrate = 0.0;
};
void postrun(CTonvexDoc& doc, framewindow& window, const std::string& prefix, const std::string& outlabel,
             const runfigures& figures);
