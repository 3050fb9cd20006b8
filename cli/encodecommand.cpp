#include "cli/encodecommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/CTonvexDoc.h"
#include "cli/documentsettings.h"
#include "cli/exitcodes.h"
#include "cli/inputfile.h"
#include "cli/outputfile.h"
#include "cli/progressbar.h"
#include "codec/format/frameheader.h"
#include "encoder/encodefile.h"
#include "engine/io/wordio.h"
#include "engine/runreport.h"

namespace {

void printsummary(const encodestats& stats, double elapsed) {
    const int32_t rate = ratehz(samplerate_khz(stats.srindex));
    const double ratio = realtimeratio(rate, elapsed, stats.frames * 1024); // 1024 samples a frame
    std::printf("%s\n", completiontext("encoding completed", elapsed, ratio).c_str());
    std::printf("%lld frames of %d words, %.2f kbit/s, %d channel%s at %d Hz\n",
                static_cast<long long>(stats.frames), stats.framewords, stats.bitrate, stats.channels,
                stats.channels == 1 ? "" : "s", rate);
}

} // namespace

int runencode(const commandoptions& options) {
    CTonvexDoc doc;
    applysettings(doc, options);
    // The document's configuration, which the decoders will be given too: a stream decodes
    // only with the configuration it was written with.
    encodersettings settings;
    settings.coding = doc.config;
    if (options.bitrate) {
        if (!(doc.scaledbitrate > 0.0))
            throw usageerror("--bitrate " + *options.bitrate + ": needs a rate above 0");
        settings.bitrate = doc.scaledbitrate;
    }
    if (!tuneofname(options.tune, settings.tune))
        throw usageerror("--tune " + options.tune + ": snr or perceptual");
    if (options.scalefloor) settings.scalefloor = *options.scalefloor;

    const std::string output =
        options.output.empty() ? options.input == "-"
                                     ? "-"
                                     : std::filesystem::path(options.input).replace_extension(".ztb").string()
                               : options.output;
    if (samefile(options.input, output)) throw usageerror("input and output are the same file: " + output);
    outputtarget target(output, options.force);
    const inputfile input(options.input, "");

    std::FILE* file = target.open();
    std::string error;
    encodestats stats;
    const runclock clock;
    if (!file) {
        std::fprintf(stderr, "cannot create output file %s: %s\n", output.c_str(), std::strerror(errno));
        return exit_failure;
    }
    progressbar bar(stderr, !options.quiet && isatty(fileno(stderr)));
    const int status = encodestream(input.path(), file, output, settings, error, &stats,
                                    [&bar](int percent) { bar.draw(percent); });
    bar.clear();
    if (status != 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return exit_failure;
    }
    const double elapsed = clock.seconds();
    if (!target.commit()) {
        std::fprintf(stderr, "cannot write the finished output to %s: %s\n", output.c_str(),
                     std::strerror(errno));
        return exit_failure;
    }
    warnbitrate(options, stats.bitrate, ratehz(samplerate_khz(stats.srindex)));
    if (!options.quiet) printsummary(stats, elapsed);
    return exit_success;
}
