#pragma once
// The two-state (Gilbert-Elliott) channel: each unit that crosses it (a bit or a frame)
// is either hit (the bad state: the bit is flipped, the frame erased) or not (the good
// state), and the state of the next unit depends only on this one's:
//   P(hit | last clear) = rate x (1 - gamma)
//   P(hit | last hit)   = rate + gamma x (1 - rate)
// so the long-run share of hits is rate whatever gamma is, the correlation between
// neighbouring units is gamma, and hits come in bursts of mean length
// 1 / ((1 - rate) x (1 - gamma)). gamma 0 is independent hits at rate; gamma 1 never
// leaves the state it is in. The channel starts in the good state.

// A uniform value 0 <= u < 1 with 30 bits of resolution from two draws of the random
// source, the high half first: one draw alone cannot tell a rate of 1e-5 from 3e-5.
double fineuniform();

class twostatechannel {
  public:
    // One unit through the channel at the given long-run rate and burstiness: two draws.
    bool pass(double rate, double gamma);
    bool inbadstate() const { return bad; }

  private:
    bool bad = false;
};
