#pragma once
// Runs the cells of a sweep: one after the other in this process, or with jobs > 1 each
// in a child process of its own (a fork of this one, so that the decoders' process-wide
// random source and message box are never shared), jobs at a time. Each finished row is
// handed over at once, so that an interrupted sweep keeps what it has done.
#include <functional>
#include <vector>

#include "cli/sweepcell.h"

struct sweeprun {
    const sweepgrid& grid;
    const preparedstreams& streams;
    std::string workdir;
    int jobs = 1;
    bool progress = false; // a bar with the time left on standard error
};

// Returns false on the first failed cell (the message is on standard error) or when
// interrupted by SIGINT or SIGTERM; done has then seen every row that finished.
bool runcells(const sweeprun& run, const std::vector<sweepcell>& cells,
              const std::function<void(const sweeprow&)>& done);
