#include "cli/errormodeloptions.h"

#include <CLI/CLI.hpp>

#include "app/CTonvexDoc.h"
#include "cli/commandoptions.h"
#include "cli/jsonreport.h"
#include "engine/errors/errorchannel.h"
#include "engine/io/g192.h"
#include "engine/settings.h"

namespace {

void apply(CTonvexDoc& doc, const std::string& option, const std::string& name, const std::string& value) {
    const setresult result = setsettingtext(doc, name, value);
    if (result != setresult::ok) throw usageerror(option + " " + value + ": " + settingerror(result, name));
}

bool framemodel(const CTonvexDoc& doc) {
    return doc.errormodel == errormodel_erasure || doc.errors.framepattern();
}

std::string burstline(const bursthistogram& bursts) {
    std::string line = "burst lengths:";
    for (const auto& [length, count] : bursts.counts())
        line += " " + std::to_string(length) + "x" + std::to_string(count);
    return bursts.bursts() == 0 ? line + " none" : line;
}

} // namespace

void adderrormodeloptions(CLI::App& command, errormodeloptions& options) {
    command
        .add_option("--error-model", options.model,
                    "independent bit errors at --ber (default), gilbert: bursts of bit errors at --ber, "
                    "erasure: whole frames lost at --fer, pattern: a G.192 error-pattern file")
        ->check(CLI::IsMember({"independent", "gilbert", "erasure", "pattern"}))
        ->type_name("MODEL");
    command.add_option("--gamma", options.gamma, "burstiness of gilbert and erasure, 0 (independent) to 1")
        ->type_name("G");
    command.add_option("--fer", options.fer, "frame erasure rate of the erasure model, 0 to 0.5")
        ->type_name("RATE");
    command
        .add_option("--pattern", options.pattern, "G.192 error-pattern file; implies --error-model pattern")
        ->type_name("FILE");
}

void applyerrormodel(CTonvexDoc& doc, const errormodeloptions& options) {
    if (options.model)
        doc.errormodel = errormodelnamed(*options.model).value_or(errormodel_independent);
    else if (options.pattern)
        doc.errormodel = errormodel_pattern;
    if (options.gamma) apply(doc, "--gamma", "gamma", *options.gamma);
    if (options.fer) apply(doc, "--fer", "fer", *options.fer);
    if (options.pattern) apply(doc, "--pattern", "patternpath", *options.pattern);

    const std::string name = errormodelname(doc.errormodel);
    const auto unused = [&name](const char* option) {
        return usageerror(std::string(option) + " does not apply to --error-model " + name);
    };
    if (options.gamma && doc.errormodel != errormodel_gilbert && doc.errormodel != errormodel_erasure)
        throw unused("--gamma");
    if (options.fer && doc.errormodel != errormodel_erasure) throw unused("--fer");
    if (options.ber && (doc.errormodel == errormodel_erasure || doc.errormodel == errormodel_pattern))
        throw unused("--ber");
    if (options.pattern && doc.errormodel != errormodel_pattern) throw unused("--pattern");
    if (doc.errormodel == errormodel_pattern && doc.patternpath.empty())
        throw usageerror("the pattern error model needs --pattern FILE");
    // The decode would refuse these too, but only after the output was opened.
    const std::string problem = doc.errors.prepare(doc);
    if (!problem.empty()) throw usageerror(problem);
}

nlohmann::ordered_json errormodeljson(const CTonvexDoc& doc) {
    nlohmann::ordered_json model = {{"name", errormodelname(doc.errormodel)}};
    switch (doc.errormodel) {
    case errormodel_independent:
        model["ber"] = doc.ber;
        model["effective_ber"] = independentrate(doc.ber);
        break;
    case errormodel_gilbert:
        model["ber"] = doc.ber;
        model["gamma"] = doc.gamma;
        break;
    case errormodel_erasure:
        model["fer"] = doc.fer;
        model["gamma"] = doc.gamma;
        break;
    default:
        model["pattern"] = doc.patternpath;
        model["pattern_kind"] = doc.errors.framepattern() ? "frames" : "bits";
        break;
    }
    model["measured"] = framemodel(doc) ? std::to_string(doc.stats.frameserased) + " of " +
                                              std::to_string(doc.stats.frameshandled) + " frames"
                                        : measuredber(doc.nbiterrors, doc.nbitsseen);
    return model;
}

void printerrormodel(std::FILE* out, const CTonvexDoc& doc) {
    std::string line = std::string("error model ") + errormodelname(doc.errormodel);
    const nlohmann::ordered_json model = errormodeljson(doc);
    for (const auto& [key, value] : model.items())
        if (key == "ber" || key == "effective_ber" || key == "fer" || key == "gamma" || key == "pattern")
            line += " " + key + " " + value.dump();
    std::fprintf(out, "%s\n", line.c_str());
}

void printerrorfigures(std::FILE* out, const CTonvexDoc& doc) {
    const nlohmann::ordered_json model = errormodeljson(doc);
    std::fprintf(out, "%s %s\n", framemodel(doc) ? "frames erased:" : "measured bit error rate:",
                 model.at("measured").get<std::string>().c_str());
    std::fprintf(out, "%s\n", burstline(doc.stats.bursts).c_str());
}
