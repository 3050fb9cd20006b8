#pragma once
// Points a stream job's input at a source of the public interface.
#include <vector>

#include "engine/streamjob.h"
#include "tonvex/tonvex.hpp"

// A file source becomes bitstreampath; bytes and callbacks become bitstreamstream, a
// callback's bytes held in storage, which must outlive the operation. false after a
// message through the job's sink (a failed read).
bool attachsource(streamjob& job, const tonvex::source& in, std::vector<unsigned char>& storage);
