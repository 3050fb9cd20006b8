#pragma once
// SIGINT and SIGTERM end a command at once: the temporary files it has listed are
// removed and the exit status is 128 plus the signal's number (130, 143).
#include <signal.h>

#include <string>

void catchinterruptions();

// Holds SIGINT and SIGTERM back for its life, so that a temporary file is listed before
// an interruption can strike between its creation and its listing.
class heldinterruptions {
  public:
    heldinterruptions();
    ~heldinterruptions();
    heldinterruptions(const heldinterruptions&) = delete;
    heldinterruptions& operator=(const heldinterruptions&) = delete;

  private:
    sigset_t previous;
};

// A file removed on an interruption while the object lives (an empty path lists nothing).
class listedtemporary {
  public:
    explicit listedtemporary(const std::string& path);
    ~listedtemporary();
    listedtemporary(const listedtemporary&) = delete;
    listedtemporary& operator=(const listedtemporary&) = delete;

  private:
    int slot = -1;
};
