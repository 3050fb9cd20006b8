// tonvex: without arguments the window (when it is built in), otherwise the command line.
#include <cstdio>

#include "cli/commandline.h"

#ifdef TONVEX_WITH_WINDOW
#include "app/gui/runwindow.h"
#endif

int main(int argc, char** argv) {
#ifdef TONVEX_WITH_WINDOW
    if (argc <= 1) return runwindow(argc, argv);
#else
    if (argc <= 1) {
        // No window in this build: show what the command line offers.
        char name[] = "tonvex";
        char help[] = "--help";
        char* helpargv[] = {name, help, nullptr};
        return runcommandline(2, helpargv);
    }
#endif
    return runcommandline(argc, argv);
}
