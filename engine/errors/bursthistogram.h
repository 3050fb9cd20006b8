#pragma once
// Lengths of the runs of hits (flipped bits, erased frames) that an error model applied,
// as a histogram: how many bursts of 1, 2, 3 ... units in a row.
#include <cstdint>
#include <map>

class bursthistogram {
  public:
    void record(bool hit) {
        if (hit)
            open += 1;
        else
            close();
    }
    // The 16 bits of one stream word, most significant first (the order they travel in);
    // a burst goes on across words.
    void recordword(uint16_t flipped);
    // Ends the burst in progress, as the end of the stream does.
    void close();
    void clear() { *this = {}; }

    // Burst length -> number of bursts, with the burst still in progress counted as it
    // stands.
    std::map<int64_t, int64_t> counts() const;
    int64_t bursts() const;
    int64_t hits() const;
    // Hits per burst; 0.0 without bursts.
    double meanlength() const;

  private:
    int64_t open = 0;
    std::map<int64_t, int64_t> closed;
};
