#pragma once
// The error models of the decode driver, chosen by the document's errormodel:
//   0 independent bit errors at ber: inserterrors' own rule, one draw per bit;
//   1 two-state (Gilbert-Elliott) bit errors at the mean rate ber, burstiness gamma;
//   2 frame erasures at the rate fer, bursty with gamma: the frame is read as usual and
//     handed to the decoders as lost;
//   3 an error-pattern file (G.192) of bit errors or frame erasures, from patternpath.
// The channel holds what a model carries from word to word and frame to frame during one
// decode: the state of the two-state channels and the place in the pattern.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/errors/twostatechannel.h"
#include "engine/io/g192.h"

class streamjob;

// The independent model flips a bit when 1 - draw / 32767 falls below ber, for a draw
// 0..32767 of the program's random source.
inline bool independentflip(int draw, double ber) {
    return 1.0 - draw / 32767.0 < ber;
}
// The rate at which it really flips bits: the share of the 32768 draws that flip one, a
// multiple of 1/32768 (ber 1e-4 gives 4/32768, about 1.22e-4).
double independentrate(double ber);

enum errormodels : int32_t {
    errormodel_independent = 0,
    errormodel_gilbert = 1,
    errormodel_erasure = 2,
    errormodel_pattern = 3,
};

// "independent", "gilbert", "erasure", "pattern"; "unknown" for any other number.
const char* errormodelname(int32_t model);
std::optional<int32_t> errormodelnamed(std::string_view name);

// Why the model settings cannot run (gamma outside 0..1, a rate outside 0..0.5, no
// pattern file named), empty when they can. The pattern file itself is read by prepare.
std::string errormodelproblem(const streamjob& doc);

class errorchannel {
  public:
    // Starts the channel afresh for one decode with the document's model and, for
    // errormodel 3, reads the pattern file. The text for the user when the model cannot
    // run, empty when it can.
    std::string prepare(const streamjob& doc);

    // The bits of one word that the model flips, bit 15 first in the order the bits
    // travel. Two-state channel: two draws per bit (32 per word); pattern: 16 marks.
    uint16_t gilbertflips(randomsource& random, double ber, double gamma);
    uint16_t patternflips();
    // Whether the model erases the next frame: two draws under errormodel 2, one mark of
    // a frame pattern under errormodel 3, never under the others.
    bool erasesframe(randomsource& random, int32_t model, double fer, double gamma);

    bool bitpattern() const { return pattern && pattern->kind == errorpattern::bits; }
    bool framepattern() const { return pattern && pattern->kind == errorpattern::frames; }

  private:
    bool nextmark();

    twostatechannel bitchannel;
    twostatechannel framechannel;
    std::optional<errorpattern> pattern;
    size_t patternat = 0;
};
