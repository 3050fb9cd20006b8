#pragma once
// tonvex encode: an audio file to a bitstream, with the document's codec configuration.
#include "cli/commandoptions.h"

// Returns the exit status; throws usageerror for bad options.
int runencode(const commandoptions& options);
