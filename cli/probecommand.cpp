#include "cli/probecommand.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/CTonvexDoc.h"
#include "cli/exitcodes.h"
#include "engine/configprobe.h"
#include "engine/settings.h"

namespace {

std::string scoretext(const probescore& s) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "%lld of %lld frames decoded, %lld CRC words matched, %lld checks failed, %lld samples at "
                  "full scale",
                  static_cast<long long>(s.decoded), static_cast<long long>(s.frames),
                  static_cast<long long>(s.matched), static_cast<long long>(s.failed),
                  static_cast<long long>(s.clipped));
    return text;
}

nlohmann::ordered_json scorejson(const probescore& s) {
    return {{"frames", s.frames},        {"headers", s.headers},     {"decoded", s.decoded},
            {"checks_failed", s.failed}, {"crc_matched", s.matched}, {"planes_lost", s.passloss},
            {"clipped", s.clipped}};
}

std::string configurationtext(const proberesult& result) {
    const std::string arguments = setarguments(result);
    return arguments.empty() ? "the defaults (no --set needed)" : arguments;
}

} // namespace

int runprobe(const commandoptions& options) {
    const proberesult result = probeconfiguration(options.input);
    if (!result.error.empty() && result.evaluated == 0) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return exit_failure;
    }
    if (options.json) {
        nlohmann::ordered_json report = {{"input", options.input}, {"found", result.error.empty()}};
        nlohmann::ordered_json settings = nlohmann::ordered_json::object();
        for (const auto& [name, value] : result.settings) settings[name] = value;
        report["settings"] = settings;
        report["arguments"] = setarguments(result);
        report["score"] = scorejson(result.best);
        report["runner_up"] = result.runnerup ? scorejson(*result.runnerup) : nlohmann::ordered_json();
        report["configurations"] = result.evaluated;
        std::printf("%s\n", report.dump(2).c_str());
    } else if (result.error.empty()) {
        std::printf("configuration: %s\n", configurationtext(result).c_str());
        std::printf("score: %s\n", scoretext(result.best).c_str());
        if (result.runnerup) std::printf("runner-up: %s\n", scoretext(*result.runnerup).c_str());
        std::printf("%d configurations tried\n", result.evaluated);
        if (result.best.matched == 0)
            std::fprintf(stderr,
                         "warning: no CRC word confirms this configuration (a stream without CRC words "
                         "is identified by its header layout and plausible output only)\n");
    }
    if (!result.error.empty()) std::fprintf(stderr, "%s\n", result.error.c_str());
    return result.error.empty() ? exit_success : exit_failure;
}

void applyprobedconfiguration(CTonvexDoc& doc, const std::string& input, bool quiet) {
    const proberesult result = probeconfiguration(input);
    if (!result.error.empty()) throw runfailure("--config auto: " + result.error);
    for (const auto& [name, value] : result.settings) setsetting(doc, name, value);
    if (!quiet) std::fprintf(stderr, "configuration found: %s\n", configurationtext(result).c_str());
}

void warnforeignconfiguration(const CTonvexDoc& doc, const std::string& input) {
    const drivestats& s = doc.stats;
    const bool injected = doc.nbiterrors > 0 || s.frameserased > 0;
    // A frame too short for its first pass is concealed too, but for want of bits.
    const int64_t concealed = std::max<int64_t>(0, s.framesconcealed - s.passescut);
    const int64_t damaged = std::max(concealed + s.frameslost, s.passcrcfailures);
    if (injected || s.frameshandled == 0 || 2 * damaged <= s.frameshandled) return;
    std::fprintf(
        stderr,
        "warning: %lld of %lld frames concealed or lost and %lld pass CRCs failed without injected "
        "errors; the stream was probably encoded with another configuration: try tonvex probe %s, or "
        "decode with --config auto\n",
        static_cast<long long>(s.framesconcealed + s.frameslost), static_cast<long long>(s.frameshandled),
        static_cast<long long>(s.passcrcfailures), input.c_str());
}
