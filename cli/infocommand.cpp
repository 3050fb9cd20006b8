#include "cli/infocommand.h"

#include <cstdio>

#include "cli/exitcodes.h"
#include "cli/inputfile.h"
#include "cli/streaminfo.h"
#include "tonvex/tonvex.hpp"

int runinfo(const commandoptions& options) {
    const inputfile input(options.input, ".ztb");
    const tonvex::streaminfo info = tonvex::inspect(tonvex::source::file(input.path()));
    for (const std::string& message : info.messages) std::fprintf(stderr, "%s\n", message.c_str());
    if (options.json)
        std::printf("%s\n", streaminfojson(info, options.input).dump(2).c_str());
    else if (info.headerfound)
        std::fputs(streaminfotext(info, options.input).c_str(), stdout);
    return info.messages.empty() ? exit_success : exit_failure;
}
