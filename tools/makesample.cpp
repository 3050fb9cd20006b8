// Synthesises the bundled sample: a few seconds of a stereo, music-like signal at 48 kHz,
// written as 16-bit WAV. It holds what exercises the codec: sustained harmonic tones
// (long blocks), plucked notes with sharp attacks and short clicks (short blocks and the
// transitions between them), and noise bursts spread over the whole band.
//
// usage: tonvex_makesample OUT.wav [SECONDS]
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/random.h"

namespace {

constexpr int samplerate = 48000;
constexpr double pi = 3.14159265358979323846;

struct stereo {
    std::vector<double> left, right;
    explicit stereo(std::size_t n) : left(n, 0.0), right(n, 0.0) {}
    // Adds a mono value with a constant-power pan, 0 = left .. 1 = right.
    void add(std::size_t i, double v, double pan) {
        left[i] += v * std::cos(pan * pi / 2.0);
        right[i] += v * std::sin(pan * pi / 2.0);
    }
};

// White noise -1..1 from the program's random source, so the sample is the same on
// every platform.
double noise() {
    return random_draw() / 16383.5 - 1.0;
}

// A harmonic tone with partials 1/k, each decaying faster the higher it is (like a
// plucked string); attack in seconds, overall decay time constant in seconds.
void addnote(stereo& out, double start, double length, double freq, double gain, double attack, double decay,
             double pan) {
    const auto first = static_cast<std::size_t>(start * samplerate);
    const auto count = static_cast<std::size_t>(length * samplerate);
    for (std::size_t n = 0; n < count && first + n < out.left.size(); ++n) {
        const double t = static_cast<double>(n) / samplerate;
        const double envelope = std::min(1.0, t / attack) * std::exp(-t / decay) *
                                std::min(1.0, (length - t) / 0.02); // short release, no step at the end
        double v = 0.0;
        for (int k = 1; k <= 10 && k * freq < 20000.0; ++k)
            v += std::sin(2.0 * pi * k * freq * t) / k * std::exp(-t * k / (4.0 * decay));
        out.add(first + n, gain * envelope * v, pan);
    }
}

// A burst of noise with an exponential decay (a hi-hat or snare stand-in).
void addnoiseburst(stereo& out, double start, double decay, double gain, double pan) {
    const auto first = static_cast<std::size_t>(start * samplerate);
    for (std::size_t n = 0; n < static_cast<std::size_t>(6.0 * decay * samplerate); ++n) {
        if (first + n >= out.left.size()) break;
        const double t = static_cast<double>(n) / samplerate;
        out.add(first + n, gain * std::exp(-t / decay) * noise(), pan);
    }
}

// A click: a few samples of a decaying alternating impulse, the hardest transient there is.
void addclick(stereo& out, double start, double gain, double pan) {
    const auto first = static_cast<std::size_t>(start * samplerate);
    for (std::size_t n = 0; n < 48 && first + n < out.left.size(); ++n)
        out.add(first + n, gain * ((n % 2) ? -1.0 : 1.0) * std::exp(-static_cast<double>(n) / 8.0), pan);
}

stereo compose(double seconds) {
    stereo out(static_cast<std::size_t>(seconds * samplerate));
    // A slow pad: a minor chord, soft attack, held across the whole sample.
    for (double f : {110.0, 130.81, 164.81})
        addnote(out, 0.0, seconds, f, 0.08, 0.4, 4.0 * seconds, f < 120.0 ? 0.3 : 0.7);
    // A plucked melody, one note every 0.25 s, alternating sides.
    const double melody[] = {440.0, 523.25, 659.25, 587.33, 493.88, 392.0, 440.0, 329.63};
    int step = 0;
    for (double t = 0.1; t + 0.3 < seconds; t += 0.25, ++step)
        addnote(out, t, 0.45, melody[step % 8], 0.12, 0.002, 0.15, step % 2 ? 0.35 : 0.65);
    // Noise bursts on the off-beats, clicks now and then.
    for (double t = 0.225; t < seconds; t += 0.5) addnoiseburst(out, t, 0.03, 0.15, 0.5);
    for (double t = 0.8; t < seconds; t += 1.3) addclick(out, t, 0.6, 0.2);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUT.wav [SECONDS]\n", argv[0]);
        return 2;
    }
    const double seconds = argc == 3 ? std::atof(argv[2]) : 5.0;
    if (!(seconds > 0.5 && seconds <= 60.0)) {
        std::fprintf(stderr, "SECONDS must be 0.5 to 60\n");
        return 2;
    }
    const stereo signal = compose(seconds);

    // Peak at -3 dBFS, so that no sample clips.
    double peak = 0.0;
    for (std::size_t i = 0; i < signal.left.size(); ++i)
        peak = std::max({peak, std::fabs(signal.left[i]), std::fabs(signal.right[i])});
    const double gain = peak > 0.0 ? 0.7071 / peak : 1.0;
    std::vector<short> interleaved(2 * signal.left.size());
    for (std::size_t i = 0; i < signal.left.size(); ++i) {
        interleaved[2 * i] = static_cast<short>(std::lround(32767.0 * gain * signal.left[i]));
        interleaved[2 * i + 1] = static_cast<short>(std::lround(32767.0 * gain * signal.right[i]));
    }

    SF_INFO info{};
    info.samplerate = samplerate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    const auto frames = static_cast<sf_count_t>(signal.left.size());
    const bool complete = sf_writef_short(file, interleaved.data(), frames) == frames;
    sf_close(file);
    if (!complete) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
