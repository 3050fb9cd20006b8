#include "fuzz/fuzzsupport.h"

#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzzentries.h"

quietrun::quietrun() {
    previoushandler = setmessagehandler([this](const std::string& text) {
        messages += 1;
        last = text;
    });
    previouswindow = setmainframewindow(&window);
}

quietrun::~quietrun() {
    setmainframewindow(previouswindow);
    setmessagehandler(previoushandler);
}

void fuzzcheck(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

std::span<const namedfuzzentry> fuzzentries() {
    static constexpr namedfuzzentry entries[] = {
        {"header", fuzz_header},
    };
    return entries;
}
