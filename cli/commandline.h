#pragma once
// The tonvex command line: four subcommands over the document, the drivers and the
// encoder. Returns the exit status (see exitcodes.h).
int runcommandline(int argc, char** argv);
