#pragma once
// The frame walk behind tonvex::inspect, for front ends that hold a stream job of their
// own with its settings: the job's input (bitstreamstream or bitstreampath) walked with
// its header configuration. Failures go to the job's messages; the result's messages stay
// empty.
#include "engine/streamjob.h"
#include "tonvex/tonvex.hpp"

tonvex::streaminfo surveystream(streamjob& job);
