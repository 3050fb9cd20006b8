// tonvex: without arguments the window (when it is built in), otherwise the command line.
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "cli/commandline.h"
#include "cli/exitcodes.h"

#ifdef TONVEX_WITH_WINDOW
#include "app/gui/runwindow.h"
#endif

namespace {

#ifdef TONVEX_WITH_WINDOW
// Without a display (or a platform chosen for the toolkit) the window cannot open.
bool displayavailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}
#endif

// What the command line offers, with the status of a usage error: nothing was run.
int showusage() {
    char name[] = "tonvex";
    char help[] = "--help";
    char* helpargv[] = {name, help, nullptr};
    runcommandline(2, helpargv);
    return exit_usage;
}

} // namespace

int main(int argc, char** argv) {
#ifdef TONVEX_WITH_WINDOW
    if (argc <= 1 && displayavailable()) return runwindow(argc, argv);
#endif
    if (argc <= 1) return showusage();
    return runcommandline(argc, argv);
}
