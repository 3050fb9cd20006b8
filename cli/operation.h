#pragma once
// decode and scale: the same operations the menu runs, on a fresh document set up from
// the command line, reported through the command line's frame window.
#include "cli/commandoptions.h"

enum class operationkind { decode, scale };

// Returns the exit status; throws usageerror for bad options.
int runoperation(operationkind kind, const commandoptions& options);
