#pragma once
// The --json report of a decode or scale: what the panel shows, plus the counts a
// researcher needs that the panel leaves out.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

class CTonvexDoc;
class bursthistogram;

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

// Runs of flipped bits (bit error models) or erased frames: count, mean and lengths.
nlohmann::ordered_json burstsjson(const bursthistogram& bursts);

nlohmann::ordered_json operationreport(const CTonvexDoc& doc, const runrecord& run);
