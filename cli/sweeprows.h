#pragma once
// The rows of a sweep: one per cell, as CSV or JSON lines, in a fixed column order. Rows
// are kept as the text they were written with, so that a resumed, sharded or merged run
// writes byte for byte what one whole run writes; figures are read back from that text.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The columns: the conditions (up to seed), then the run's counts, then the measures
// against the clean decode (_clean) and against the original input (_orig, empty for a
// stream input).
const std::vector<std::string>& sweepcolumns();
// Index of a column by name; throws std::out_of_range.
size_t sweepcolumn(const std::string& name);
inline constexpr size_t conditioncolumns = 10; // cell .. seed
inline constexpr size_t seedcolumn = 9;

struct sweeprow {
    int64_t cell = 0;
    std::vector<std::string> values; // one per column; "" where a value does not exist
};

enum class rowformat { csv, jsonlines };

std::string csvheader();
std::string rowline(const sweeprow& row, rowformat format); // with the newline

// One line (without its newline) back into a row; false if it is not a row.
bool parserow(const std::string& line, rowformat format, sweeprow& row);
// Reads a file of rows in either format (told by its first line). false with the reason
// in error for a file that is not one, or whose header is not this version's.
bool readrows(const std::string& path, std::vector<sweeprow>& rows, std::string& error);

// The summary: for each condition (every condition column but cell and seed), in the order
// of its first cell, the number of runs and the mean and 95% confidence half-width
// (Student t) over the seeds of each figure column.
struct summaryline {
    std::vector<std::string> condition; // input .. conceal
    int64_t runs = 0;
    std::vector<double> mean, halfwidth; // per figure column, from "frames" on
};
std::vector<summaryline> summarise(const std::vector<sweeprow>& rows);
std::string summarycsv(const std::vector<summaryline>& lines);
// The table for the terminal: the conditions that vary and the main figures.
std::string summarytable(const std::vector<summaryline>& lines);
// Two-sided 95% quantile of Student's t with df degrees of freedom.
double tquantile95(int64_t df);
