#pragma once
// framerecord: one frame between the two stages of a decode. The first stage (frame walk,
// bit errors, spectra, concealment) fills it; the second (filter banks, PCM conversion,
// output) takes it, frames in order, on the same thread or on another.
#include <cstdint>
#include <string>
#include <vector>

#include "codec/synthesis/filterbank.h"
#include "engine/streamjob.h"

// What a frame showed, in the order it happened: an event, a message, or the output of
// one channel, which keeps its place among them.
struct frameaction {
    enum kinds { event, message, output };
    kinds kind = event;
    driveevent happened;
    std::string text;
    int16_t channel = 0;
};

// What the first stage changes in the job, as it stood before a frame: the second stage
// puts it back when it stops before that frame, so that a stopped run leaves the counts
// and the random source as if the frames after it had never been read.
struct stagecounters {
    drivestats stats;
    int64_t nbiterrors = 0;
    int64_t nbitsseen = 0;
    uint32_t random = 1;
};

struct framerecord {
    enum kinds {
        frame,  // a frame for the output
        failed, // the walk stopped here on a failure, shown by the actions
        end,    // no frame left
    };
    // The synthesis input of one channel.
    struct channelinput {
        std::vector<double> spectrum; // as zatdec::takespectrum leaves it
        int32_t written = 0;          // beyond it spectrum holds only +0.0
        synthesisframe modes;
        uint32_t dither = 1; // the random source's state where the channel's dither starts
    };

    kinds kind = end;
    std::vector<frameaction> actions;
    std::vector<channelinput> channels;
    int32_t percent = 0; // of the input read once the frame was
    stagecounters before;
};
