#include "cli/plotframes.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>

#include "cli/plot.h"

namespace {

// Frame start time -> (segSNR, fwSNR) summed over the channels where the frame is not silent.
std::string framedata(int32_t rate, const comparison& c) {
    std::map<int64_t, std::array<double, 3>> sums;
    for (const framemeasures& f : c.frames) {
        auto& s = sums[f.frame];
        if (f.silent) continue;
        s[0] += f.segsnr;
        s[1] += f.fwsnr;
        s[2] += 1.0;
    }
    std::string data;
    char line[96];
    for (const auto& [frame, s] : sums) {
        if (s[2] == 0.0) continue;
        const double time = static_cast<double>(c.first + frame * measureframe) / rate;
        std::snprintf(line, sizeof line, "%.5f\t%.4f\t%.4f\n", time, s[0] / s[2], s[1] / s[2]);
        data += line;
    }
    return data;
}

// Two more blocks: the times of lost frames, then of concealed ones, in the reference's
// time (the decode's times less the delay).
bool eventdata(const std::string& path, int32_t rate, const comparison& c, std::string& data) {
    std::ifstream in(path);
    const nlohmann::json report = nlohmann::json::parse(in, nullptr, false);
    if (report.is_discarded() || !report.contains("events") || !report["events"].is_array()) {
        std::fprintf(stderr, "tonvex: %s is not a decode report with events (decode --json --events)\n",
                     path.c_str());
        return false;
    }
    std::string lost, concealed, failed;
    char line[48];
    for (const auto& e : report["events"]) {
        const std::string kind = e.value("event", "");
        std::snprintf(line, sizeof line, "%.5f\t0\n",
                      e.value("time", 0.0) - static_cast<double>(c.delay) / rate);
        if (kind == "damaged header" || kind == "skipped frame" || kind == "erased frame") lost += line;
        if (kind == "concealed frame") concealed += line;
        if (kind == "pass CRC failed") failed += line;
    }
    // An empty block would end the data early: a point left of the plot stands in.
    for (const std::string* block : {&lost, &concealed, &failed})
        data += "\n\n" + (block->empty() ? "-1\t0\n" : *block);
    return true;
}

} // namespace

bool plotframes(const std::string& path, int32_t rate, const comparison& c, const std::string& events,
                bool force) {
    std::string data = framedata(rate, c);
    if (data.empty()) data = "0\t0\t0\n";
    if (!events.empty() && !eventdata(events, rate, c, data)) return false;
    std::string script =
        plotterminal(path) +
        "set xlabel 'time in the reference (s)'\n"
        "set ylabel 'SNR per 1024-sample frame (dB)'\n"
        "set yrange [-12:37]\nset xrange [0:*]\nset autoscale xfixmax\nset grid\nset key below\n"
        "plot data index 0 using 1:2 with steps lw 1.5 title 'segmental SNR', \\\n"
        "     data index 0 using 1:3 with steps lw 1.5 title 'frequency-weighted SNR'";
    if (!events.empty())
        script += ", \\\n     data index 1 using 1:(-12):(0):(49) with vectors nohead lc rgb '#d62728' "
                  "title 'lost frame', \\\n"
                  "     data index 2 using 1:(-12):(0):(49) with vectors nohead dt 2 lc rgb '#ff7f0e' "
                  "title 'concealed frame', \\\n"
                  "     data index 3 using 1:(-12):(0):(49) with vectors nohead dt 3 lc rgb '#7f7f7f' "
                  "title 'failed pass CRC'";
    return renderplot(path, data, script + "\n", force);
}
