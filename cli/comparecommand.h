#pragma once
// tonvex compare: objective measures of a decoded file against a reference, lined up by
// the codec delay or by a search, per channel, overall and (--per-frame) per frame.
#include <optional>
#include <string>

namespace CLI {
class App;
}

struct compareoptions {
    std::string reference, test;
    std::string align = "delay"; // delay: --delay samples; search: the best lag found
    std::optional<int64_t> delay;
    bool json = false;
    bool perframe = false;
    std::string plot;   // an .svg or .png of the frame measures over time
    std::string events; // the JSON report of the decode, whose events the plot marks
    bool force = false;
};

// The subcommand; returns it so that the caller can tell whether it ran.
CLI::App* addcomparecommand(CLI::App& app, compareoptions& options);
// Returns the exit status; throws usageerror for bad values.
int runcompare(const compareoptions& options);
