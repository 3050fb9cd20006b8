#pragma once
// A run that stopped early with an output of good data only: its input was cut short,
// or the output reached the size its format can announce. The output is kept, the
// message becomes a warning with the figures, and the exit status is exit_incomplete.
#include <cstdint>
#include <string>
#include <vector>

class CTonvexDoc;

// The messages of such stops, recorded but not printed as they come.
const std::vector<std::string>& earlystopmessages();
// Whether a run's messages all tell of an early stop, with frames written before it.
bool stoppedearly(const std::vector<std::string>& messages, int64_t frameswritten);
// "warning: ..." for the stop: where the input was cut (frame number and byte offset),
// or how much the output holds and which formats take the whole decode.
std::string earlystopwarning(const CTonvexDoc& doc, const std::string& message, const std::string& output,
                             int64_t frames, double seconds);
