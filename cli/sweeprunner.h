#pragma once
// Runs the cells of a sweep on jobs threads of this process. Every cell has documents,
// random sources and message sinks of its own, so the threads share nothing but the
// prepared streams, which they only read. Each finished row is handed over at once, on
// the calling thread, so that an interrupted sweep keeps what it has done.
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
// interrupted by SIGINT or SIGTERM, which start no further cell; done has then seen every
// row that finished.
bool runcells(const sweeprun& run, const std::vector<sweepcell>& cells,
              const std::function<void(const sweeprow&)>& done);
