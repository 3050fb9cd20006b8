#pragma once
// The text of one result row of the information panel, shared by the window and the
// command line so that both show the same figures.
#include <cstdint>
#include <string>

// kind 0: label, value as " %.*f ", unit; kind 1: label, value as " %.*e ", unit;
// kind 2: label, value truncated toward zero as " %d ", unit; kind 3: label alone;
// any other kind: empty (a blank slot). Decimals are rounded half away from zero on the
// exact binary value (80.25 shows as 80.3 with one decimal), not to even as a correctly
// rounding printf would. precision is clamped to 0..50.
std::string formatinforow(int32_t kind, const std::string& label, double value, const std::string& unit,
                          int precision);
