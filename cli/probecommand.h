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

// After a decode without injected errors: when most frames failed their CRCs, were
// concealed or lost, the stream was most likely encoded with another configuration; says
// so on standard error with the figures and points to the probe.
void warnforeignconfiguration(const CTonvexDoc& doc, const std::string& input);
