#pragma once
// A progress bar on one terminal line, redrawn in place with a carriage return.
#include <cstdio>
#include <string>

// The text of the bar for a percentage 0..100 (clamped), e.g. "[#####.....]  50%".
std::string progressline(int percent, int width);

class progressbar {
  public:
    // Draws on out only when enabled; the command line enables it for a terminal.
    progressbar(std::FILE* out, bool enabled) : out(out), enabled(enabled) {}
    void draw(int percent);
    // Removes the bar so that the next text starts on a clean line.
    void clear();

  private:
    std::FILE* out;
    bool enabled;
    bool shown = false;
};
