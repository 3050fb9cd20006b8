#pragma once
// The tonvex command line: the subcommands over the document, the drivers, the encoder
// and the measures. Returns the exit status (see exitcodes.h).
int runcommandline(int argc, char** argv);
