#pragma once
// The error model of tonvex decode: --error-model independent|gilbert|erasure|pattern with
// --gamma, --fer and --pattern, checked and applied to the document through the settings
// registry; and what the report and the trace say about the model afterwards.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <optional>
#include <string>

namespace CLI {
class App;
}
class CTonvexDoc;

struct errormodeloptions {
    std::optional<std::string> model; // by name
    std::optional<std::string> ber;
    std::optional<std::string> gamma;
    std::optional<std::string> fer;
    std::optional<std::string> pattern;
};

void adderrormodeloptions(CLI::App& command, errormodeloptions& options);
// Sets errormodel, gamma, fer and patternpath, then checks the model as the decode will:
// a parameter outside its range, an option the model does not use, or a pattern file
// that is not G.192 throws usageerror, before any file is written.
void applyerrormodel(CTonvexDoc& doc, const errormodeloptions& options);

// The model and its parameters, and what it did in the last decode: the measured rate as
// "k of n bits" or "k of n frames" (the report gives erased frames and bursts beside it).
nlohmann::ordered_json errormodeljson(const CTonvexDoc& doc);
// The same for --events as text lines: the model before the run, the figures after it.
void printerrormodel(std::FILE* out, const CTonvexDoc& doc);
void printerrorfigures(std::FILE* out, const CTonvexDoc& doc);
