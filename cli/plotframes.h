#pragma once
// compare --plot: segmental and frequency-weighted SNR of each frame over time (the mean
// over channels), with the frames a decode lost or concealed marked from its JSON report.
#include <cstdint>
#include <string>

#include "measure/quality.h"

// events: the path of a decode report with an events array, or empty. false on failure
// (the message is on standard error).
bool plotframes(const std::string& path, int32_t rate, const comparison& c, const std::string& events,
                bool force);
