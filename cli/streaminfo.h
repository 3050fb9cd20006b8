#pragma once
// How `tonvex info` shows what the library's frame walk found in a bitstream
// (tonvex::inspect): frames, timing, lengths, block modes, coded bands and the damage met.
#include <nlohmann/json.hpp>

#include <string>

#include "tonvex/tonvex.hpp"

// The text form describes a stream in which a header was found.
std::string streaminfotext(const tonvex::streaminfo& info, const std::string& path);
nlohmann::ordered_json streaminfojson(const tonvex::streaminfo& info, const std::string& path);
