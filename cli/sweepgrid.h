#pragma once
// The grid of a sweep: inputs x bitrates x error conditions x concealment methods x seeds,
// from options or a JSON file, checked as a whole before anything runs, and numbered so
// that every cell has the same index in every run, shard and merge.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/commandoptions.h"

struct sweepgrid {
    std::vector<std::string> inputs;   // .ztb streams, or audio files to encode
    std::vector<std::string> bitrates; // kbit/s; empty: each stream as it is
    std::vector<std::string> models;   // independent, gilbert, erasure, pattern
    std::vector<std::string> bers, gammas, fers, patterns;
    std::vector<std::string> conceal; // concealmethod values
    std::vector<uint32_t> seeds;
    std::vector<std::string> settings; // NAME=VALUE for every decode
};

// One run: indices into the grid's lists (the error parameters a model does not use are
// empty strings).
struct sweepcell {
    int64_t index = 0;
    size_t input = 0;
    std::string bitrate, model, ber, gamma, fer, pattern, conceal;
    uint32_t seed = 0;
};

// The options of a decode of the cell, as tonvex decode would take them: the grid's
// settings, no dither, the cell's concealment method and error model.
commandoptions celloptions(const sweepgrid& grid, const sweepcell& cell);

// The cells in index order: input, bitrate, model and its parameters, concealment, seed
// (the seed varies fastest). independent varies ber; gilbert ber and gamma; erasure fer
// and gamma; pattern the pattern files.
std::vector<sweepcell> cellsof(const sweepgrid& grid);

// "1-20", "1,2,5" or "1-3,7". Throws usageerror.
std::vector<uint32_t> parseseeds(const std::string& text);
// A comma-separated list; throws usageerror for an empty item.
std::vector<std::string> splitlist(const std::string& option, const std::string& text);
// Fills the grid from a JSON object (keys as the options, without dashes: inputs, bitrate,
// error_model, ber, gamma, fer, pattern, conceal, seeds, set; a value is a list or a
// single value). Throws usageerror for an unknown key or a key also given as an option.
void readgridfile(const std::string& path, sweepgrid& grid, const std::vector<std::string>& givenbyoptions);
// Defaults (wav/test.ztb, independent, ber 0, method 1, seed 1) for what is not given, then
// the checks that need no file: each parameter used by some model, ranges, duplicates, and
// every error setting as decode itself would check it. Throws usageerror.
void completegrid(sweepgrid& grid);
