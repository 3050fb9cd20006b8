#pragma once
// tonvex errpat: writes a G.192 error-pattern file from a model, so that the same errors
// can be applied to several streams or codecs with decode --pattern.
#include <string>

#include "cli/commandoptions.h"

namespace CLI {
class App;
}

struct errpatoptions {
    std::string model; // independent, gilbert (bits) or erasure (frames)
    std::string length;
    std::optional<std::string> ber;
    std::optional<std::string> fer;
    std::optional<std::string> gamma;
};

// The subcommand; -o, --json and --quiet land in options, --seed in seed.
CLI::App* adderrpatcommand(CLI::App& app, errpatoptions& errpat, commandoptions& options, std::string& seed);
// Returns the exit status; throws usageerror for bad values, before anything is written.
int runerrpat(const errpatoptions& errpat, const commandoptions& options);
