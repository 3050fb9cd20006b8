#pragma once
// What a tonvex::session holds: one stream job with the callbacks its runs report to.
#include <functional>

#include "engine/streamjob.h"
#include "tonvex/tonvex.hpp"

namespace tonvex {

struct session::state {
    streamjob job;
    std::function<void(int)> progress;
    std::function<void(const event&)> events;
};

} // namespace tonvex
