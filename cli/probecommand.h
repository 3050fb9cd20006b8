#pragma once
// tonvex probe: finds the coding configuration of a bitstream, and the same search for
// decode --config auto.
#include "cli/commandoptions.h"

class CTonvexDoc;

// Returns the exit status.
int runprobe(const commandoptions& options);

// Probes the input and sets the configuration found in doc; throws runfailure for a
// stream that no configuration decodes. Tells on standard error which settings were
// found unless quiet.
void applyprobedconfiguration(CTonvexDoc& doc, const std::string& input, bool quiet);
