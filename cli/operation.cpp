#include "cli/operation.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "app/CTonvexDoc.h"
#include "cli/audiooutput.h"
#include "cli/documentsettings.h"
#include "cli/earlystop.h"
#include "cli/errormodeloptions.h"
#include "cli/eventlog.h"
#include "cli/exitcodes.h"
#include "cli/inputfile.h"
#include "cli/jsonreport.h"
#include "cli/messagerecorder.h"
#include "cli/outputfile.h"
#include "cli/probecommand.h"
#include "cli/streamtime.h"
#include "cli/terminalwindow.h"
#include "engine/io/wordio.h"
#include "engine/runreport.h"

namespace {

// PCM bytes a decode may write in the 16-bit samples the driver counts: the format's
// 32-bit size fields less its header, scaled to the width of the output samples.
// TONVEX_WAVDATALIMIT lowers the limit, so that tests reach it with a short stream.
uint64_t decodelimit(const audiochoice& audio) {
    if (!has32bitsizes(audio.format)) return std::numeric_limits<uint64_t>::max();
    uint64_t limit = audio.format == audioformat::wav ? 0xFFFFFFFFull - 36 : 0xFFFFFFFFull - 1024;
    if (const char* lowered = std::getenv("TONVEX_WAVDATALIMIT"))
        limit = std::min<uint64_t>(limit, std::strtoull(lowered, nullptr, 10));
    return limit * 2 / static_cast<uint64_t>(bytespersample(audio.bits));
}

} // namespace

int runoperation(operationkind kind, const commandoptions& options) {
    CTonvexDoc doc;
    applysettings(doc, options);
    const bool decode = kind == operationkind::decode;
    if (decode) applyerrormodel(doc, options.errormodel);
    runrecord run;
    run.command = decode ? "decode" : "scale";
    run.input = options.input.empty() ? doc.bitstreampath : options.input;
    run.output =
        !options.output.empty() ? options.output : outputbeside(run.input, decode ? ".wav" : "_s.ztb");
    if (samefile(run.input, run.output))
        throw usageerror("input and output are the same file: " + run.output);
    const audiochoice audio = chooseaudio(run.output, options.format, options.bits, options.trim);
    outputtarget target(run.output, options.force);
    const inputfile input(run.input, ".ztb");

    if (options.seed) doc.random.seed(*options.seed);
    run.seed = doc.random.state();

    std::FILE* out = target.open();
    if (!out) {
        std::fprintf(stderr, "cannot create output file %s: %s\n", run.output.c_str(), std::strerror(errno));
        return exit_failure;
    }
    if (decode && needsseeking(audio.format) && !target.seekable())
        throw usageerror(formatname(audio.format) +
                         " output needs a file it can go back in; a pipe takes WAV");
    doc.bitstreampath = input.path();
    std::unique_ptr<audiosink> sink;
    if (decode) {
        sink = makeaudiosink(out, target.seekable(), audio);
        doc.sink = sink.get();
        doc.wavpath = run.output;
        doc.wavdatalimit = decodelimit(audio);
    } else {
        doc.scaledstream = out;
        // Only a file being made has a name whose extension the scaler checks.
        doc.scaledpath = target.direct() ? "" : run.output;
    }

    const bool progress = !options.quiet && isatty(fileno(stderr));
    terminalwindow window(doc, progress, !options.quiet && !options.json);
    messagerecorder recorder([&window] { window.clearprogress(); }, earlystopmessages());
    doc.hooks.messages = recorder.sink();
    eventlog events(doc, options.json ? nullptr : stdout);
    if (options.events) {
        doc.hooks.event = [&events](const driveevent& event) { events.record(event); };
        if (!options.json) std::printf("seed %u\n", static_cast<unsigned>(run.seed));
        if (!options.json && decode) printerrormodel(stdout, doc);
    }

    const runclock clock;
    decode ? doc.decodeZAT() : doc.scaleZAT();
    run.elapsedseconds = clock.seconds();
    if (decode) warnforeignconfiguration(doc, run.input);
    if (doc.stats.frameshandled > 0) warnscaledbitrate(doc, options);

    run.completed = doc.stats.completed && recorder.messages().empty();
    const bool early = !run.completed && stoppedearly(recorder.messages(), doc.stats.frameswritten);
    bool kept = false;
    if (run.completed || early) {
        kept = (!sink || sink->finish()) && target.commit();
        if (!kept)
            doc.showmessage("cannot write the finished output to " + run.output + ": " +
                            std::strerror(errno));
        run.completed = run.completed && kept;
    }
    if (kept && early) {
        window.clearprogress();
        const int64_t frames = doc.stats.frameswritten;
        const double seconds = sink ? static_cast<double>(sink->written()) / ratehz(doc.fs_khz)
                                    : streamseconds(frames, doc.fs_khz, doc.framelen);
        std::fprintf(stderr, "%s\n",
                     earlystopwarning(doc, recorder.messages().front(), run.output, frames, seconds).c_str());
    }
    run.messages = recorder.messages();
    if (options.events && !options.json && decode) printerrorfigures(stdout, doc);

    if (options.json) {
        nlohmann::ordered_json report = operationreport(doc, run);
        if (options.events) report["events"] = events.json();
        std::printf("%s\n", report.dump(2).c_str());
    }
    std::fflush(stdout);
    if (run.completed) return exit_success;
    return kept ? exit_incomplete : exit_failure;
}
