// Objective quality of the encoder on recorded material: every excerpt encoded at every
// rate by each allocation asked for, decoded (without dither), aligned by the codec delay
// and measured (SNR, segmental SNR, frequency-weighted segmental SNR; see measures.h).
//
// usage: tonvex_quality [--tunes LIST] [--rates LIST] [--scaled-from KBPS] NAME=FILE...
//   --tunes       comma-separated: snr, perceptual (the encoder's tunes) and
//                 plain (the reference allocation of plain.h); default snr,plain
//   --rates       kbit/s, comma-separated; default 32,48,64,96,128,192,256
//   --scaled-from also cut each encoder tune's stream at this rate down to every lower
//                 rate and measure that too (extra columns)
// Prints a Markdown table: a row per excerpt and rate, in each measure's cell the tunes'
// values separated by " / ", and a row per rate of the means over the excerpts.
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/benchstream.h"
#include "bench/quality/measures.h"
#include "bench/quality/plain.h"
#include "encoder/streamencoder.h"

namespace {

struct audio {
    planar samples;
    int rate = 0;
};

bool readaudio(const std::string& path, audio& a) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr) return false;
    std::vector<double> interleaved(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_double(f, interleaved.data(), info.frames);
    sf_close(f);
    a.rate = info.samplerate;
    a.samples.assign(info.channels, std::vector<double>(got));
    for (sf_count_t i = 0; i < got; i++)
        for (int ch = 0; ch < info.channels; ch++) a.samples[ch][i] = interleaved[i * info.channels + ch];
    return true;
}

int srindexof(int rate) {
    const int rates[] = {11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (int i = 0; i < 8; i++)
        if (rates[i] == rate) return i;
    return -1;
}

std::vector<std::string> split(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

// Encodes the excerpt with a tune into path; false with a message when refused.
bool encodeto(const audio& a, const std::string& tune, double kbps, const std::string& path) {
    encodersettings s;
    s.bitrate = kbps;
    streamencoder encoder;
    if (tune == "plain")
        encoder.sethooks(plainallocation());
    else if (!tuneofname(tune, s.tune)) {
        std::fprintf(stderr, "unknown tune %s\n", tune.c_str());
        return false;
    }
    const int nch = static_cast<int>(a.samples.size());
    const std::string problem = encoder.open(s, nch, srindexof(a.rate));
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return false;
    }
    const size_t n = a.samples[0].size();
    const size_t len = streamencoder::framelen;
    std::vector<double> frame[2] = {std::vector<double>(len), std::vector<double>(len)};
    const double* input[2] = {frame[0].data(), frame[1].data()};
    std::vector<uint16_t> words;
    for (size_t at = 0; at < n; at += len)
        for (int ch = 0; ch < nch; ch++) {
            for (size_t i = 0; i < len; i++) frame[ch][i] = at + i < n ? a.samples[ch][at + i] : 0.0;
            if (ch == nch - 1) encoder.push(input, words);
        }
    encoder.finish(static_cast<int64_t>(n), words);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (uint16_t w : words) {
        const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
        file.write(bytes, 2);
    }
    return static_cast<bool>(file);
}

bool scaleto(const std::string& from, double kbps, const std::string& to) {
    benchsupport::quietdocument run;
    run.doc.bitstreampath = from;
    run.doc.scaledpath = to;
    run.doc.scaledbitrate = kbps;
    run.doc.outputbitratemode = 1;
    run.doc.scaleZAT();
    if (!run.doc.stats.completed) std::fprintf(stderr, "scaling failed: %s\n", run.lastmessage.c_str());
    return run.doc.stats.completed;
}

// Decodes the stream and measures it against the excerpt, the output aligned by the delay.
bool measurestream(const audio& a, const std::string& stream, const std::string& wav, qualitymeasures& m) {
    {
        benchsupport::quietdocument run;
        run.doc.bitstreampath = stream;
        run.doc.wavpath = wav;
        run.doc.dither = 0;
        run.doc.decodeZAT();
        if (!run.doc.stats.completed) {
            std::fprintf(stderr, "decoding failed: %s\n", run.lastmessage.c_str());
            return false;
        }
    }
    audio d;
    if (!readaudio(wav, d)) return false;
    const size_t n = a.samples[0].size();
    for (std::vector<double>& ch : d.samples) {
        ch.erase(ch.begin(), ch.begin() + std::min<size_t>(streamencoder::delay, ch.size()));
        ch.resize(n, 0.0);
    }
    m = measurequality(a.samples, d.samples, a.rate);
    return true;
}

struct row {
    std::string excerpt;
    double kbps;
    std::vector<qualitymeasures> values; // per tune, then the scaled stream if asked
};

std::string cell(const std::vector<double>& v) {
    std::string s;
    char text[32];
    for (size_t i = 0; i < v.size(); i++) {
        std::snprintf(text, sizeof text, "%s%.1f", i != 0 ? " / " : "", v[i]);
        s += text;
    }
    return s;
}

// One Markdown table: a row per excerpt and rate with the three measures, each cell the
// columns' values; then a row per rate of the means over the excerpts that have them all.
void printtable(const std::vector<row>& rows, const std::vector<std::string>& columns,
                const std::vector<double>& rates) {
    std::string names;
    for (size_t i = 0; i < columns.size(); i++) names += (i != 0 ? " / " : "") + columns[i];
    std::printf(
        "dB, each cell %s\n\n| excerpt | kbit/s | SNR | segmental SNR | frequency-weighted segmental SNR |\n"
        "|---|---|---|---|---|\n",
        names.c_str());
    auto print = [](const std::string& name, double kbps, const std::vector<qualitymeasures>& values) {
        std::vector<double> snr, seg, fw;
        for (const qualitymeasures& m : values) {
            snr.push_back(m.snr);
            seg.push_back(m.segsnr);
            fw.push_back(m.fwsegsnr);
        }
        std::printf("| %s | %g | %s | %s | %s |\n", name.c_str(), kbps, cell(snr).c_str(), cell(seg).c_str(),
                    cell(fw).c_str());
    };
    for (const row& r : rows) print(r.excerpt, r.kbps, r.values);
    for (double kbps : rates) {
        size_t width = columns.size();
        for (const row& r : rows)
            if (r.kbps == kbps) width = std::min(width, r.values.size());
        std::vector<qualitymeasures> mean(width);
        int count = 0;
        for (const row& r : rows) {
            if (r.kbps != kbps) continue;
            for (size_t i = 0; i < width; i++) {
                mean[i].snr += r.values[i].snr;
                mean[i].segsnr += r.values[i].segsnr;
                mean[i].fwsegsnr += r.values[i].fwsegsnr;
            }
            count++;
        }
        if (count == 0) continue;
        for (qualitymeasures& m : mean) {
            m.snr /= count;
            m.segsnr /= count;
            m.fwsegsnr /= count;
        }
        print("**mean**", kbps, mean);
    }
}

// Every excerpt at every rate by every tune, and with scaledfrom the encoder's tunes'
// streams at that rate cut down to every lower rate.
bool measureall(const std::vector<std::pair<std::string, std::string>>& excerpts,
                const std::vector<std::string>& tunes, const std::vector<double>& rates, double scaledfrom,
                const std::filesystem::path& dir, std::vector<row>& rows) {
    const std::string stream = (dir / "quality.ztb").string(), scaled = (dir / "quality_s.ztb").string();
    const std::string wav = (dir / "quality.wav").string();
    auto source = [&](const std::string& tune) { return (dir / (tune + "_source.ztb")).string(); };
    for (const auto& [name, path] : excerpts) {
        audio a;
        if (!readaudio(path, a) || srindexof(a.rate) < 0 || a.samples.empty() || a.samples.size() > 2) {
            std::fprintf(stderr, "%s: not a readable mono or stereo file at a codec rate\n", path.c_str());
            return false;
        }
        for (const std::string& tune : tunes)
            if (scaledfrom > 0.0 && tune != "plain" && !encodeto(a, tune, scaledfrom, source(tune)))
                return false;
        for (double kbps : rates) {
            row r{name, kbps, {}};
            for (const std::string& tune : tunes) {
                qualitymeasures m;
                if (!encodeto(a, tune, kbps, stream) || !measurestream(a, stream, wav, m)) return false;
                r.values.push_back(m);
            }
            for (const std::string& tune : tunes) {
                if (scaledfrom <= kbps || tune == "plain") continue;
                qualitymeasures m;
                if (!scaleto(source(tune), kbps, scaled) || !measurestream(a, scaled, wav, m)) return false;
                r.values.push_back(m);
            }
            rows.push_back(r);
        }
        std::fprintf(stderr, "%s done\n", name.c_str());
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> tunes = {"snr", "plain"};
    std::vector<double> rates = {32, 48, 64, 96, 128, 192, 256};
    double scaledfrom = 0.0;
    std::vector<std::pair<std::string, std::string>> excerpts;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const bool hasvalue = i + 1 < argc;
        if (arg == "--tunes" && hasvalue) {
            tunes = split(argv[++i]);
        } else if (arg == "--rates" && hasvalue) {
            rates.clear();
            for (const std::string& r : split(argv[++i])) rates.push_back(std::atof(r.c_str()));
        } else if (arg == "--scaled-from" && hasvalue) {
            scaledfrom = std::atof(argv[++i]);
        } else if (arg.find('=') != std::string::npos) {
            excerpts.emplace_back(arg.substr(0, arg.find('=')), arg.substr(arg.find('=') + 1));
        } else {
            std::fprintf(stderr, "usage: tonvex_quality [--tunes LIST] [--rates LIST] [--scaled-from KBPS] "
                                 "NAME=FILE...\n");
            return 2;
        }
    }
    // A folder of its own, so that runs side by side do not share files.
    std::string pattern = (std::filesystem::temp_directory_path() / "tonvex-quality.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    std::vector<std::string> columns = tunes;
    if (scaledfrom > 0.0)
        for (const std::string& tune : tunes)
            if (tune != "plain") columns.push_back(tune + " scaled from " + std::to_string(int(scaledfrom)));
    std::vector<row> rows;
    const bool measured = measureall(excerpts, tunes, rates, scaledfrom, pattern, rows);
    std::filesystem::remove_all(pattern);
    if (!measured) return 1;
    printtable(rows, columns, rates);
    return 0;
}
