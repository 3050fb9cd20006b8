#include "cli/interruption.h"

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>

namespace {

// The signal handler may only read plain memory: fixed slots, each marked in use only
// after its path is complete.
constexpr int slots = 4;
char listed[slots][PATH_MAX];
volatile std::sig_atomic_t inuse[slots] = {};

extern "C" void oninterruption(int signal) {
    for (int i = 0; i < slots; i++)
        if (inuse[i]) unlink(listed[i]);
    _exit(128 + signal);
}

sigset_t interruptions() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

void catchinterruptions() {
    struct sigaction action {};
    action.sa_handler = oninterruption;
    action.sa_mask = interruptions();
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

heldinterruptions::heldinterruptions() {
    const sigset_t set = interruptions();
    sigprocmask(SIG_BLOCK, &set, &previous);
}

heldinterruptions::~heldinterruptions() {
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

listedtemporary::listedtemporary(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX) return;
    for (int i = 0; i < slots; i++) {
        if (inuse[i]) continue;
        std::memcpy(listed[i], path.c_str(), path.size() + 1);
        inuse[i] = 1;
        slot = i;
        return;
    }
}

listedtemporary::~listedtemporary() {
    if (slot >= 0) inuse[slot] = 0;
}
