#pragma once
// Opens the tonvex window and runs it until it is closed; returns the exit status.
int runwindow(int argc, char** argv);
