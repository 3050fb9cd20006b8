#include "cli/outputoptions.h"

#include <CLI/CLI.hpp>

void addoutputoptions(CLI::App& command, commandoptions& o, const char* description, bool required) {
    command.add_option("-o,--output", o.output, description)->required(required);
    CLI::Option* force = command.add_flag("-f,--force", o.force, "replace an existing output file");
    command
        .add_flag_callback(
            "-n,--no-clobber", [&o] { o.force = false; }, "never replace an existing file (the default)")
        ->excludes(force);
}

void addaudiooptions(CLI::App& command, commandoptions& o) {
    command
        .add_option("--format", o.format,
                    "wav, flac, aiff, caf, rf64 or w64 (default: by the output's extension, else wav)")
        ->type_name("FORMAT");
    command.add_option("--bits", o.bits, "16 (default), 24 or 32f (32-bit float)")->type_name("BITS");
    command.add_flag("--trim", o.trim, "drop the codec delay of 1024 samples at the start");
}
