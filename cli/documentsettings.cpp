#include "cli/documentsettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/CTonvexDoc.h"
#include "cli/probecommand.h"
#include "engine/errors/errorchannel.h"
#include "engine/settings.h"

namespace {

void apply(CTonvexDoc& doc, const std::string& option, const std::string& name, const std::string& value) {
    const setresult result = setsettingtext(doc, name, value);
    if (result != setresult::ok) throw usageerror(option + ": " + settingerror(result, name));
}

} // namespace

void applysettings(CTonvexDoc& doc, const commandoptions& options) {
    // The probed configuration first, so that a --set still has the last word.
    if (options.config)
        applyprobedconfiguration(doc, options.input.empty() ? doc.bitstreampath : options.input,
                                 options.quiet);
    for (const std::string& assignment : options.settings) {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
            throw usageerror("--set " + assignment + ": expected NAME=VALUE");
        apply(doc, "--set " + assignment, assignment.substr(0, equals), assignment.substr(equals + 1));
    }
    if (const auto& ber = options.errormodel.ber) {
        apply(doc, "--ber " + *ber, "ber", *ber);
        const bool independent = options.errormodel.model ? *options.errormodel.model == "independent"
                                                          : !options.errormodel.pattern;
        const double effective = independentrate(doc.ber);
        if (independent && effective != doc.ber && !options.quiet)
            std::fprintf(
                stderr,
                "warning: --ber %s flips bits at an effective rate of %.6g (draws in steps of 1/32768)\n",
                ber->c_str(), effective);
    }
    if (options.bitrate) {
        apply(doc, "--bitrate " + *options.bitrate, "scaledbitrate", *options.bitrate);
        doc.outputbitratemode = 1;
    }
    if (options.threads) apply(doc, "--threads " + *options.threads, "threads", *options.threads);
    // CLI11 has already restricted the text to the two words.
    if (options.outputbitrate) doc.outputbitratemode = *options.outputbitrate == "scaled" ? 1 : 0;
}

void warnbitrate(const commandoptions& options, double used, int32_t samplerate) {
    if (!options.bitrate || options.quiet) return;
    const double asked = std::strtod(options.bitrate->c_str(), nullptr);
    if (std::fabs(asked - used) < 0.005) return;
    std::fprintf(stderr, "warning: --bitrate %s is not possible at %d Hz; using %.2f kbit/s\n",
                 options.bitrate->c_str(), static_cast<int>(samplerate), used);
}

void warnscaledbitrate(const CTonvexDoc& doc, const commandoptions& options) {
    const double used = doc.scaledframelen(doc.scaledbitrate) * 16.0 * doc.fs_khz / doc.framelen;
    warnbitrate(options, used, static_cast<int32_t>(std::lround(doc.fs_khz * 1000.0)));
}
