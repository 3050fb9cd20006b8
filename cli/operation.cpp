#include "cli/operation.h"

#include <unistd.h>

#include <cstdio>

#include "app/CTonvexDoc.h"
#include "base/message.h"
#include "base/random.h"
#include "cli/documentsettings.h"
#include "cli/errormodeloptions.h"
#include "cli/eventlog.h"
#include "cli/exitcodes.h"
#include "cli/jsonreport.h"
#include "cli/messagerecorder.h"
#include "cli/outputfile.h"
#include "cli/probecommand.h"
#include "cli/terminalwindow.h"
#include "engine/io/wordio.h"
#include "engine/runreport.h"

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

    if (options.seed) random_seed(*options.seed);
    run.seed = random_state();

    pendingoutput output(run.output);
    doc.bitstreampath = run.input;
    (decode ? doc.wavpath : doc.scaledpath) = output.path();

    const bool progress = !options.quiet && isatty(fileno(stderr));
    terminalwindow window(doc, progress, !options.quiet && !options.json);
    messagerecorder recorder([&window] { window.clearprogress(); });
    eventlog events(doc, options.json ? nullptr : stdout);
    if (options.events) {
        doc.onevent = [&events](const driveevent& event) { events.record(event); };
        if (!options.json) std::printf("seed %u\n", static_cast<unsigned>(run.seed));
        if (!options.json && decode) printerrormodel(stdout, doc);
    }

    const runclock clock;
    decode ? doc.decodeZAT() : doc.scaleZAT();
    run.elapsedseconds = clock.seconds();
    if (decode) warnforeignconfiguration(doc, run.input);
    if (doc.stats.frameshandled > 0) warnscaledbitrate(doc, options);

    run.completed = doc.stats.completed && recorder.messages().empty();
    if (run.completed && !output.commit()) {
        showmessage("cannot rename the finished output to " + run.output);
        run.completed = false;
    }
    run.messages = recorder.messages();
    if (options.events && !options.json && decode) printerrorfigures(stdout, doc);

    if (options.json) {
        nlohmann::ordered_json report = operationreport(doc, run);
        if (options.events) report["events"] = events.json();
        std::printf("%s\n", report.dump(2).c_str());
    }
    std::fflush(stdout);
    return run.completed ? exit_success : exit_failure;
}
