#pragma once
// The window is the program tonvex-gui beside the tonvex executable, so that a command
// never loads the toolkit.
#include <string>

// The window program beside this executable, or empty when there is none (a build
// without the window).
std::string windowprogram();

// Replaces this process with the window program, passing argv on. Returns only when it
// cannot be started, with the exit status after a message on standard error.
int startwindow(const std::string& program, char** argv);
