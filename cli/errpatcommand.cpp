#include "cli/errpatcommand.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/random.h"
#include "cli/exitcodes.h"
#include "cli/jsonreport.h"
#include "cli/outputfile.h"
#include "engine/errors/bursthistogram.h"
#include "engine/errors/errorchannel.h"
#include "engine/errors/patternmaker.h"

namespace {

// A pattern is held in memory whole, three bytes a unit while it is written.
constexpr long long longestpattern = 100000000;

double parsevalue(const std::string& option, const std::string& text, double high) {
    char* end = nullptr;
    const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value))
        throw usageerror(option + " " + text + ": needs a number");
    if (value < 0.0 || value > high)
        throw usageerror(option + " " + text + ": must lie between 0 and " + (high == 1.0 ? "1" : "0.5"));
    return value;
}

long long parselength(const std::string& text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > longestpattern)
        throw usageerror("--length " + text + ": needs a whole number 1 to " +
                         std::to_string(longestpattern));
    return value;
}

} // namespace

CLI::App* adderrpatcommand(CLI::App& app, errpatoptions& errpat, commandoptions& options, std::string& seed) {
    CLI::App* command = app.add_subcommand("errpat", "write a G.192 error-pattern file for decode --pattern");
    command
        ->add_option("--model", errpat.model,
                     "independent or gilbert: bit errors at --ber; erasure: frames lost at --fer")
        ->check(CLI::IsMember({"independent", "gilbert", "erasure"}))
        ->required();
    command->add_option("--length", errpat.length, "bits (bit models) or frames (erasure) in the pattern")
        ->type_name("N")
        ->required();
    command->add_option("-o,--output", options.output, "the pattern file to write")->required();
    command->add_option("--ber", errpat.ber, "bit error rate of independent and gilbert, 0 to 0.5")
        ->type_name("RATE");
    command->add_option("--fer", errpat.fer, "frame erasure rate of erasure, 0 to 0.5")->type_name("RATE");
    command->add_option("--gamma", errpat.gamma, "burstiness of gilbert and erasure, 0 to 1")->type_name("G");
    command->add_option("--seed", seed, "starting state of the random source (default 1)")->type_name("N");
    command->add_flag("--json", options.json, "print the pattern's figures as one JSON object");
    command->add_flag("--quiet", options.quiet, "no summary; errors only");
    return command;
}

int runerrpat(const errpatoptions& errpat, const commandoptions& options) {
    const int32_t model = errormodelnamed(errpat.model).value_or(errormodel_independent);
    const bool frames = model == errormodel_erasure;
    const long long length = parselength(errpat.length);
    if (frames ? errpat.ber.has_value() : errpat.fer.has_value())
        throw usageerror(std::string(frames ? "--ber" : "--fer") + " does not apply to --model " +
                         errpat.model);
    if (model == errormodel_independent && errpat.gamma)
        throw usageerror("--gamma does not apply to --model independent");
    const std::optional<std::string>& ratetext = frames ? errpat.fer : errpat.ber;
    const std::string rateoption = frames ? "--fer" : "--ber";
    if (!ratetext) throw usageerror("--model " + errpat.model + " needs " + rateoption + " RATE");
    const double rate = parsevalue(rateoption, *ratetext, 0.5);
    const double gamma = errpat.gamma ? parsevalue("--gamma", *errpat.gamma, 1.0) : 0.0;

    if (options.seed) random_seed(*options.seed);
    const std::uint32_t seed = random_state();
    const errorpattern pattern = makepattern(model, rate, gamma, length);
    pendingoutput output(options.output);
    if (!writepattern(output.path(), pattern) || !output.commit()) {
        std::fprintf(stderr, "cannot write error pattern file %s\n", options.output.c_str());
        return exit_failure;
    }

    bursthistogram bursts;
    for (const uint8_t mark : pattern.marks) bursts.record(mark != 0);
    const std::string unit = frames ? "frames" : "bits";
    const std::string measured = std::to_string(bursts.hits()) + " of " + std::to_string(length) + " " + unit;
    if (options.json) {
        nlohmann::ordered_json report = {
            {"command", "errpat"}, {"output", options.output}, {"model", errpat.model}};
        report[frames ? "fer" : "ber"] = rate;
        if (model != errormodel_independent) report["gamma"] = gamma;
        report["length"] = length;
        report["unit"] = unit;
        report["measured"] = measured;
        report["bursts"] = burstsjson(bursts);
        report["seed"] = seed;
        std::printf("%s\n", report.dump(2).c_str());
    } else if (!options.quiet) {
        std::printf("%s: %s %s, %s %s, %lld bursts of mean length %.2f\n", options.output.c_str(),
                    errpat.model.c_str(), frames ? "frame erasures" : "bit errors",
                    frames ? "erased" : "flipped", measured.c_str(), static_cast<long long>(bursts.bursts()),
                    bursts.meanlength());
    }
    return exit_success;
}
