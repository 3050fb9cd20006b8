#include "cli/plotsweep.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>

#include "cli/commandoptions.h"
#include "cli/plot.h"

namespace {

// Condition columns of a summary line: input, kbps, model, ber, gamma, fer, pattern, conceal.
enum { c_input, c_kbps, c_model, c_ber, c_gamma, c_fer, c_pattern, c_conceal };

std::string curvetitle(const std::vector<std::string>& c, bool inputs) {
    std::string title = (inputs ? c[c_input] + ", " : "") + c[c_kbps] + " kbit/s, " + c[c_model];
    if (!c[c_gamma].empty() && std::strtod(c[c_gamma].c_str(), nullptr) != 0.0)
        title += " gamma " + c[c_gamma];
    return title + ", method " + c[c_conceal];
}

// The axis label of a measure column: the measure, then what it is measured against.
std::string measurelabel(const std::string& measure) {
    const std::pair<const char*, const char*> names[] = {{"snr_", "SNR (dB)"},
                                                         {"segsnr_", "segmental SNR (dB)"},
                                                         {"fwsnr_", "frequency-weighted segmental SNR (dB)"},
                                                         {"lsd_", "log-spectral distance (dB)"},
                                                         {"peak_", "peak difference"},
                                                         {"identical_", "share of identical samples"}};
    for (const auto& [prefix, name] : names)
        if (measure.rfind(prefix, 0) == 0)
            return std::string(name) +
                   (measure.ends_with("_clean") ? " against the clean decode" : " against the original");
    return measure;
}

} // namespace

void checkplotmeasure(const std::string& measure) {
    const auto& columns = sweepcolumns();
    for (size_t c = conditioncolumns; c < columns.size(); ++c)
        if (columns[c] == measure) return;
    throw usageerror("--plot-measure " + measure +
                     ": not a measured column (e.g. segsnr_clean, fwsnr_orig, lost)");
}

bool plotsweep(const std::string& path, const std::string& measure, const std::vector<summaryline>& lines,
               bool force) {
    const size_t figure = sweepcolumn(measure) - conditioncolumns;
    bool inputs = false, bits = false, frames = false;
    for (const summaryline& l : lines) {
        inputs = inputs || l.condition[c_input] != lines.front().condition[c_input];
        bits = bits || !l.condition[c_ber].empty();
        frames = frames || !l.condition[c_fer].empty();
    }
    // One curve per condition but the rate; points at rate 0 have no place on a log axis.
    // Colour by bitrate (and input), dashes by method, point shape by model and gamma.
    std::map<std::string, std::string> curves, styles;
    std::map<std::string, size_t> colours, dashes, shapes;
    std::vector<std::string> order;
    double lowest = 0.0, highest = 0.0;
    auto indexof = [](std::map<std::string, size_t>& seen, const std::string& key) {
        return seen.emplace(key, seen.size()).first->second;
    };
    for (const summaryline& l : lines) {
        const std::string& rate = l.condition[c_ber].empty() ? l.condition[c_fer] : l.condition[c_ber];
        const double x = std::strtod(rate.c_str(), nullptr);
        if (!(x > 0.0) || !std::isfinite(l.mean[figure])) continue;
        lowest = lowest > 0.0 ? std::min(lowest, x) : x;
        highest = std::max(highest, x);
        const std::string title = curvetitle(l.condition, inputs);
        if (!curves.count(title)) {
            order.push_back(title);
            const auto& c = l.condition;
            styles[title] = " lc " + std::to_string(1 + indexof(colours, c[c_input] + " " + c[c_kbps])) +
                            " dt " + std::to_string(1 + indexof(dashes, c[c_conceal])) + " pt " +
                            std::to_string(std::array{7, 5, 9, 11, 13, 1, 2,
                                                      3}[indexof(shapes, c[c_model] + " " + c[c_gamma]) % 8]);
        }
        char point[96];
        std::snprintf(point, sizeof point, "%g\t%.6g\t%.6g\n", x, l.mean[figure],
                      std::isnan(l.halfwidth[figure]) ? 0.0 : l.halfwidth[figure]);
        curves[title] += point;
    }
    if (order.empty()) {
        std::fprintf(stderr, "tonvex: nothing to plot: no error rate above 0 with a finite %s\n",
                     measure.c_str());
        return false;
    }
    std::string data, plot = "plot ";
    for (size_t i = 0; i < order.size(); ++i) {
        data += (i ? "\n\n" : "") + curves[order[i]];
        plot += (i ? ", \\\n     " : "") + std::string("data index ") + std::to_string(i) +
                " using 1:2:3 with yerrorlines lw 1.5 ps 0.7" + styles[order[i]] + " title " +
                gnuplotquoted(order[i]) + " noenhanced";
    }
    char range[64];
    std::snprintf(range, sizeof range, "set xrange [%g:%g]\n", lowest / 1.6, highest * 1.6);
    const std::string xlabel = bits && frames ? "bit or frame error rate"
                               : frames       ? "frame erasure rate"
                                              : "bit error rate";
    const std::string script =
        plotterminal(path) + "set logscale x\nset format x '10^{%L}'\nset grid\nset key below\n" +
        "set xlabel " + gnuplotquoted(xlabel) + "\nset ylabel " +
        gnuplotquoted(measurelabel(measure) + ", mean and 95% CI") + " noenhanced\n" + range + plot + "\n";
    return renderplot(path, data, script, force);
}
