#pragma once
// The --json report of a decode or scale: what the panel shows, plus the counts a
// researcher needs that the panel leaves out.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

class CTonvexDoc;

// What the command line knows about a run beyond the document.
struct runrecord {
    std::string command;
    std::string input;
    std::string output;
    std::uint32_t seed = 1;
    double elapsedseconds = 0.0;
    bool completed = false;
    std::vector<std::string> messages; // every message box text, in order
};

// "k of n bits"
std::string measuredber(std::int64_t flipped, std::int64_t inspected);

nlohmann::ordered_json operationreport(const CTonvexDoc& doc, const runrecord& run);
