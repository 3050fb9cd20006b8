#pragma once
// The work of a sweep: the streams its cells decode, made once per input and bitrate
// (an audio input encoded at the highest bitrate, each bitrate scaled from it), and the
// run of one cell on them.
#include <map>
#include <string>
#include <utility>

#include "cli/sweepgrid.h"
#include "cli/sweeprows.h"

struct preparedstream {
    std::string stream;   // the .ztb the cells decode
    std::string original; // the input audio, or empty for a stream input
    std::string kbps;     // the bitrate asked for, or the stream's own
};

// (input, bitrate) -> its prepared stream.
using preparedstreams = std::map<std::pair<size_t, std::string>, preparedstream>;

// A fresh folder for the work files (mkdtemp), removed with everything in it.
class sweepworkspace {
  public:
    sweepworkspace();
    ~sweepworkspace();
    sweepworkspace(const sweepworkspace&) = delete;
    sweepworkspace& operator=(const sweepworkspace&) = delete;
    const std::string& path() const { return folder; }

  private:
    std::string folder;
};

// Makes the streams the cells need. Throws usageerror for an impossible combination (a
// bitrate above a stream's own); false with the reason in error when a step fails.
bool preparestreams(const sweepgrid& grid, const std::vector<sweepcell>& cells, const std::string& workdir,
                    preparedstreams& out, std::string& error);

// The condition columns of a cell's row (cell .. seed), its stream at kbps.
std::vector<std::string> conditionvalues(const sweepgrid& grid, const sweepcell& cell,
                                         const std::string& kbps);

// Decodes the cell's stream without errors and with the cell's errors, concealment and
// seed, and measures the second decode against the first and the original. false with the reason in error.
bool runcell(const sweepgrid& grid, const sweepcell& cell, const preparedstream& stream,
             const std::string& workdir, sweeprow& row, std::string& error);
