#include "cli/infocommand.h"

#include <cstdio>

#include "app/CTonvexDoc.h"
#include "cli/exitcodes.h"
#include "cli/inputfile.h"
#include "cli/messagerecorder.h"
#include "cli/streaminfo.h"

int runinfo(const commandoptions& options) {
    CTonvexDoc doc;
    const inputfile input(options.input, ".ztb");
    doc.bitstreampath = input.path();
    const messagerecorder recorder;
    const streaminfo info = walkstream(doc);
    if (options.json)
        std::printf("%s\n", streaminfojson(info, options.input, doc.framelen).dump(2).c_str());
    else if (info.headerfound)
        std::fputs(streaminfotext(info, options.input, doc.framelen).c_str(), stdout);
    return recorder.messages().empty() ? exit_success : exit_failure;
}
