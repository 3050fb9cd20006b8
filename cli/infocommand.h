#pragma once
// tonvex info: describes a bitstream without decoding it.
#include "cli/commandoptions.h"

// Returns the exit status.
int runinfo(const commandoptions& options);
