#pragma once
// What the document hands to each decoder once per operation. The frame values (payload
// pointer and sizes, lost flag, header fields) are handed by the decode driver itself.
#include <cstdint>

#include "engine/streamjob.h"

class zatdec;

// Before anything else: the job's message sink and random source, which a decoder of one
// of its operations shows and draws through, its coding configuration and output-bitrate
// mode.
template <class decoderclass> void handover_job(streamjob& job, decoderclass& decoder) {
    decoder.messages = job.hooks.messages;
    decoder.reader.messages = job.hooks.messages;
    decoder.random = &job.random;
    decoder.config = job.config;
    decoder.budgetmode = job.outputbitratemode;
}

// Once, after the first header and the allocation: sample rate, band layouts and the
// initial previous block mode (initblockmode 1 gives ALL_LONG, 0 and 2 give ALL_SHORT).
void handover_channel_once(zatdec& decoder, int16_t srindex);
