#pragma once
// Applies the numeric options of a command to the document, through the one settings
// registry, so the command line accepts exactly the values the window and the tests do.
#include "cli/commandoptions.h"

class CTonvexDoc;

// --set NAME=VALUE in order, then --ber, --bitrate and --output-bitrate (which override
// a --set of the same member). --bitrate implies --output-bitrate scaled unless that is
// given. Throws usageerror naming the option and the valid names or range.
void applysettings(CTonvexDoc& doc, const commandoptions& options);
