#pragma once
// Judgement of a driver run on hostile input, shared by the driver fuzzers and the
// damaged-stream suite. Each returns why the outcome is unacceptable, or "" when it is.
#include <cstdint>
#include <string>
#include <vector>

#include "codec/format/frameheader.h"

class CTonvexDoc;

// The header reader as the drivers' frame walk configures it from the document.
decodeheader headerconfig(CTonvexDoc& doc);

// The most frames a walk may hand out for a file of that many bytes: a damaged header
// consumes at least H words and may be followed by at most 15 frames skipped by the
// index gap.
int64_t framebound(const CTonvexDoc& doc, int64_t bytes);

// A decode that completed must leave a WAV file whose sizes agree with the file and with
// the frames written; one that stopped must have told the user (told).
std::string wavfault(const std::vector<uint8_t>& wav, bool exists, const CTonvexDoc& doc, bool told);

// A completed scale must leave a stream of intact, consecutively numbered frames that
// fill the file exactly, as many as it reports written.
std::string scaledfault(const std::vector<uint16_t>& words, const decodeheader& config, int64_t written);
