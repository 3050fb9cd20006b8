#pragma once
// The measures of a comparison as the command line prints them: text columns and JSON
// (an infinite SNR of identical signals and the measures of no frame become null).
#include <nlohmann/json.hpp>

#include <string>

#include "measure/quality.h"

// "%.2f", "inf" or "-" for a measure that does not exist.
std::string formatdb(double value);
nlohmann::ordered_json measuresjson(const qualitymeasures& m);
