#pragma once
// What the user asked for on the command line, before it is checked against the
// document's settings.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/errormodeloptions.h"

struct commandoptions {
    std::string input;  // empty: the document's bitstream (decode, scale); "-" standard input
    std::string output; // empty: the name the document builds from the input; "-" standard output
    bool force = false; // an existing output file may be replaced
    std::optional<std::string> format; // decode: wav, flac, aiff, caf, rf64 or w64
    std::optional<std::string> bits;   // decode: 16, 24 or 32f
    bool trim = false;                 // decode: drop the codec delay
    std::optional<std::string> bitrate;
    std::optional<std::string> outputbitrate; // "encoded" or "scaled"
    std::string tune = "snr";                 // encode: "snr" or "perceptual"
    std::optional<double> scalefloor;         // encode: kbit/s, 0 for none
    std::optional<std::uint32_t> seed;
    std::optional<std::string> threads; // decode: 1, 2 or 0 for as many as useful
    std::optional<std::string> config;  // "auto": probe the input for its configuration
    std::vector<std::string> settings;  // NAME=VALUE, applied in the order given
    errormodeloptions errormodel;       // decode only
    bool json = false;
    bool events = false;
    bool quiet = false;
};

// A bad option or value: reported with exit status 2, before anything runs.
class usageerror : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An operation that cannot start on its data: reported with exit status 1.
class runfailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
