#pragma once
// The measures of a comparison as the command line prints them: text columns and JSON
// (an infinite SNR of identical signals and the measures of no frame become null).
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

#include "measure/quality.h"

// A decoded file is one frame late: the first frame's output is the overlap-add of nothing.
inline constexpr int64_t codecdelay = 1024;

// "%.2f", "inf" or "-" for a measure that does not exist.
std::string formatdb(double value);
nlohmann::ordered_json measuresjson(const qualitymeasures& m);
