#pragma once
// Writing a whole small file (a plot, its data, a summary) without ever destroying data:
// the bytes go to a fresh temporary file beside the target (unpredictable name, O_EXCL),
// which then takes the target's name only if no file has it, or with force only if the
// existing one is a regular file.
#include <string>

// false with the reason in error; nothing is left behind on failure.
bool writenewfile(const std::string& path, const std::string& bytes, bool force, std::string& error);
// Whether path can be written under these rules (for checks before anything runs).
bool maywrite(const std::string& path, bool force, std::string& error);
