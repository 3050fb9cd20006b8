#pragma once
// What `tonvex info` finds by walking a bitstream with the drivers' frame reader, without
// decoding: frames, timing, lengths, block modes, coded bands and the damage met.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

class CTonvexDoc;

struct streaminfo {
    bool headerfound = false;
    bool walkedtoend = false; // false: the walk stopped on a read failure
    int64_t filebytes = 0;
    int64_t leadingbytes = 0; // passed over by the sync search before the first header
    int64_t frames = 0;       // good and lost
    int64_t goodframes = 0;
    int64_t lostframes = 0;
    int64_t damagedheaders = 0;
    int64_t resyncs[4] = {}; // by way: 0 none found, 1 damaged length, 2 last good length, 3 sliding
    int64_t wordsskipped = 0;
    int channels = 0;
    int srindex = 0;
    int minwords = 0, maxwords = 0;
    int64_t totalwords = 0;     // of good frames
    int64_t blockmodes[4] = {}; // good frames by block mode
    int mincodedbands = 0, maxcodedbands = 0;
};

// Walks the file named by doc.bitstreampath with the document's header configuration.
// Failures are shown as messages; the result holds what was found up to them.
streaminfo walkstream(CTonvexDoc& doc);

// The text form describes a stream in which a header was found.
std::string streaminfotext(const streaminfo& info, const std::string& path, int framelen);
nlohmann::ordered_json streaminfojson(const streaminfo& info, const std::string& path, int framelen);
