// tonvex: without arguments the window (when it is built), otherwise the command line.
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "cli/commandline.h"
#include "cli/exitcodes.h"
#include "cli/windowprogram.h"

namespace {

// Without a display (or a platform chosen for the toolkit) the window cannot open.
bool displayavailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

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
    if (argc <= 1 && displayavailable())
        if (const std::string program = windowprogram(); !program.empty()) return startwindow(program, argv);
    if (argc <= 1) return showusage();
    return runcommandline(argc, argv);
}
