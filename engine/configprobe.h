#pragma once
// A stream does not carry the coding configuration it was written with, and read with
// another one it decodes to silence or noise. probeconfiguration finds it: it decodes the
// first frames under candidate configurations and keeps the one that reads them best.
//
// The search is a coordinate descent over groups of settings: first the header layout and
// the CRC words (jointcoding, weighton, weightmode, crcon: a wrong layout fails every
// header CRC), then the CRC level, then each setting of the significance passes and the
// weights in turn, with runmode and runparam together; sweeps repeat until one changes
// nothing. A tie keeps the value held, so settings that change nothing the probe can
// see stay at their defaults: values that travel outside every CRC (with crcon 0, most
// of them) cannot be told apart unless a misreading clips. The decimal settings
// (weightstep, the band bases) keep their defaults too.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// How well a configuration reads the probed frames, compared in this order: more frames
// with an intact header, CRC words matched over protected data less failed checks (failed
// pass CRCs, concealed and lost frames), more CRC words matched, fewer planes behind failed pass
// CRCs, fewer samples at full scale (a misread stream tends to decode to loud noise).
struct probescore {
    int64_t frames = 0;   // frames the decode walked
    int64_t headers = 0;  // of them, with an intact header
    int64_t decoded = 0;  // of them, not lost and not concealed
    int64_t failed = 0;   // failed pass CRCs, concealed and lost frames
    int64_t matched = 0;  // CRC words that matched over protected data
    int64_t passloss = 0; // for each failed pass CRC, the planes from it to the 32nd
    int64_t clipped = 0;  // samples at full scale

    bool better(const probescore& other) const;
    bool operator==(const probescore& other) const = default;
};

using probesetting = std::pair<std::string, int32_t>;

struct proberesult {
    std::string error;                  // why nothing could be probed; empty otherwise
    std::vector<probesetting> settings; // every searched setting with the value found
    probescore best;
    std::optional<probescore> runnerup; // the best reading that decodes differently
    int32_t evaluated = 0;              // configurations decoded
};

// Probes the first `frames` frames of the bitstream at path, each candidate on a job of
// its own: nothing of the caller's state is touched.
proberesult probeconfiguration(const std::string& path, int32_t frames = 16);

// The settings of result that differ from a fresh document's, as "--set name=value"
// arguments separated by blanks; empty when the defaults read the stream best.
std::string setarguments(const proberesult& result);
