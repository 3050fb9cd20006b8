#include "cli/comparecommand.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commandoptions.h"
#include "cli/exitcodes.h"
#include "cli/measurereport.h"
#include "cli/plot.h"
#include "cli/plotframes.h"
#include "measure/align.h"
#include "measure/audiofile.h"

namespace {

constexpr int64_t searchrange = 8192;

void printtext(const compareoptions& o, const audiosignal& ref, const comparison& c) {
    std::printf("reference %s, test %s\n", o.reference.c_str(), o.test.c_str());
    std::printf("%zu channel(s) at %d Hz, %lld samples compared per channel, delay %lld (%s)\n",
                ref.channels.size(), static_cast<int>(ref.rate), static_cast<long long>(c.samples),
                static_cast<long long>(c.delay), o.align == "search" ? "found by search" : "given");
    std::printf("%-10s %9s %9s %11s %8s %8s %10s\n", "", "SNR dB", "segSNR dB", "fwSNRseg dB", "LSD dB",
                "peak", "identical");
    auto row = [](const std::string& name, const qualitymeasures& m) {
        std::printf("%-10s %9s %9s %11s %8s %8.0f %9.2f%%\n", name.c_str(), formatdb(m.snr).c_str(),
                    formatdb(m.segsnr).c_str(), formatdb(m.fwsnrseg).c_str(), formatdb(m.lsd).c_str(), m.peak,
                    100.0 * m.identical);
    };
    for (size_t i = 0; i < c.channels.size(); ++i) row("channel " + std::to_string(i + 1), c.channels[i]);
    if (c.channels.size() > 1) row("overall", c.overall);
    if (!o.perframe) return;
    std::printf("\n%8s %9s %7s %9s %9s %8s %8s\n", "frame", "time s", "channel", "segSNR dB", "fwSNR dB",
                "LSD dB", "peak");
    for (const framemeasures& f : c.frames) {
        const double time = static_cast<double>(c.first + f.frame * measureframe) / ref.rate;
        if (f.silent)
            std::printf("%8lld %9.3f %7d %9s %9s %8s %8.0f\n", static_cast<long long>(f.frame), time,
                        f.channel + 1, "silent", "-", "-", f.peak);
        else
            std::printf("%8lld %9.3f %7d %9.2f %9.2f %8.2f %8.0f\n", static_cast<long long>(f.frame), time,
                        f.channel + 1, f.segsnr, f.fwsnr, f.lsd, f.peak);
    }
}

nlohmann::ordered_json jsonreport(const compareoptions& o, const audiosignal& ref, const comparison& c) {
    nlohmann::ordered_json report = {{"reference", o.reference}, {"test", o.test},   {"rate", ref.rate},
                                     {"align", o.align},         {"delay", c.delay}, {"samples", c.samples}};
    report["channels"] = nlohmann::ordered_json::array();
    for (const qualitymeasures& m : c.channels) report["channels"].push_back(measuresjson(m));
    report["overall"] = measuresjson(c.overall);
    if (o.perframe) {
        auto& frames = report["frames"] = nlohmann::ordered_json::array();
        for (const framemeasures& f : c.frames) {
            nlohmann::ordered_json row = {
                {"frame", f.frame},
                {"time", static_cast<double>(c.first + f.frame * measureframe) / ref.rate},
                {"channel", f.channel + 1},
                {"silent", f.silent}};
            if (!f.silent) {
                row["segsnr_db"] = f.segsnr;
                row["fwsnr_db"] = f.fwsnr;
                row["lsd_db"] = f.lsd;
            }
            row["peak"] = f.peak;
            frames.push_back(row);
        }
    }
    return report;
}

} // namespace

CLI::App* addcomparecommand(CLI::App& app, compareoptions& o) {
    CLI::App* compare = app.add_subcommand("compare", "measure a decoded file against a reference");
    compare->add_option("REF", o.reference, "reference audio file (the original, or a clean decode)")
        ->required();
    compare->add_option("TEST", o.test, "audio file to measure")->required();
    compare->add_option("--align", o.align, "line up by --delay (default) or by a search of +-8192 samples")
        ->check(CLI::IsMember({"delay", "search"}));
    compare
        ->add_option("--delay", o.delay,
                     "samples the test lags the reference (default 1024, the codec delay)")
        ->type_name("N");
    compare->add_flag("--json", o.json, "print the results as one JSON object");
    compare->add_flag("--per-frame", o.perframe, "add a row per 1024-sample frame and channel");
    compare->add_option("--plot", o.plot, "draw the frame measures over time to FILE.svg or FILE.png")
        ->type_name("FILE");
    compare
        ->add_option("--events", o.events, "mark the events of this decode report (decode --json --events)")
        ->type_name("FILE");
    compare->add_flag("-f,--force", o.force, "replace an existing plot");
    return compare;
}

int runcompare(const compareoptions& o) {
    if (o.delay && o.align == "search") throw usageerror("--delay and --align search exclude each other");
    if (!o.events.empty() && o.plot.empty()) throw usageerror("--events needs --plot");
    if (!o.plot.empty()) checkplotname(o.plot, o.force);
    audiosignal ref, test;
    std::string error;
    if (!readaudio(o.reference, ref, error) || !readaudio(o.test, test, error)) {
        std::fprintf(stderr, "tonvex: %s\n", error.c_str());
        return exit_failure;
    }
    if (ref.rate != test.rate || ref.channels.size() != test.channels.size()) {
        std::fprintf(stderr, "tonvex: %s and %s differ in sample rate or channels\n", o.reference.c_str(),
                     o.test.c_str());
        return exit_failure;
    }
    const int64_t delay =
        o.align == "search" ? searchdelay(ref, test, searchrange) : o.delay.value_or(codecdelay);
    const comparison c = comparesignals(ref, test, delay, o.perframe || !o.plot.empty());
    if (o.json)
        std::printf("%s\n", jsonreport(o, ref, c).dump(2).c_str());
    else
        printtext(o, ref, c);
    std::fflush(stdout);
    if (!o.plot.empty())
        return plotframes(o.plot, ref.rate, c, o.events, o.force) ? exit_success : exit_failure;
    return exit_success;
}
