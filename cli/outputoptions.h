#pragma once
// The options of every command that writes a file: where it goes and whether an existing
// file may be replaced; and what kind of audio file a decode writes.
#include "cli/commandoptions.h"

namespace CLI {
class App;
}

// -o/--output, -f/--force and -n/--no-clobber (the default).
void addoutputoptions(CLI::App& command, commandoptions& o, const char* description, bool required = false);
// --format, --bits and --trim.
void addaudiooptions(CLI::App& command, commandoptions& o);
