#pragma once
// The work lists of the bit-plane passes. Each decoder state owns one, sized once for the
// largest frame it has seen and reused frame after frame, so that two decoders never
// share one.
#include <cstdint>
#include <vector>

// A weight received in a pass and not yet confirmed by a pass CRC.
struct pendingweight {
    int32_t ch; // -1 when shared by all channels
    int32_t group;
    int32_t band;
};

struct passworkspace {
    // Open (still insignificant) scan positions, one bit each, 64 to a word: a zero run
    // of n open positions skips whole words by their population count.
    std::vector<uint64_t> open;
    // Significant coefficients in the order they became significant: where each goes,
    // its magnitude and sign while the passes add bits (written to its place at the end),
    // its band, the refinement bits it has had and the plane of its last bit.
    std::vector<int32_t*> sigcoef;
    std::vector<int32_t> sigmagnitude;
    std::vector<uint8_t> signegative;
    std::vector<int32_t> sigband, sigdepth, sigbp;
    std::vector<int32_t> coefband; // band of each coefficient index within a block
    std::vector<int32_t> bandstart;
    std::vector<pendingweight> pending;
};
