#pragma once
// sweep --plot: a measure's mean against the bit or frame error rate on a log axis, with
// the 95% confidence intervals as error bars, one curve per stream, bitrate, error model,
// burstiness and concealment method.
#include <string>
#include <vector>

#include "cli/sweeprows.h"

// Throws usageerror unless measure names a figure column of the rows.
void checkplotmeasure(const std::string& measure);
// false on failure (the message is on standard error).
bool plotsweep(const std::string& path, const std::string& measure, const std::vector<summaryline>& lines,
               bool force);
