#pragma once
// Applies the numeric options of a command to the document, through the one settings
// registry, so the command line accepts exactly the values the window and the tests do.
#include "cli/commandoptions.h"

class CTonvexDoc;

// --set NAME=VALUE in order, then --ber, --bitrate and --output-bitrate (which override
// a --set of the same member). --bitrate implies --output-bitrate scaled unless that is
// given. Throws usageerror naming the option and the valid names or range.
void applysettings(CTonvexDoc& doc, const commandoptions& options);

// A warning on standard error when the rate asked for with --bitrate is not the rate a
// whole number of words per frame gives (or lies outside 8 to 511 words), with the rate
// used. rate: kbit/s used; samplerate in Hz.
void warnbitrate(const commandoptions& options, double used, int32_t samplerate);
// The same after a decode or scale, from the stream's sample rate the run found.
void warnscaledbitrate(const CTonvexDoc& doc, const commandoptions& options);
