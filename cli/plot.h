#pragma once
// Plots drawn by gnuplot from a script the program writes: FILE.svg or FILE.png, with the
// data in FILE.dat and the script in FILE.gp beside it, so that a plot can be restyled
// and redrawn by hand.
#include <string>

// Throws usageerror unless path ends in .svg or .png and it, its data and its script may
// be written (they do not exist, or force).
void checkplotname(const std::string& path, bool force);
// s as a gnuplot string: single quotes, a quote doubled.
std::string gnuplotquoted(const std::string& s);
// The terminal line of the script for path ("set terminal svg ..."; "set output ...").
std::string plotterminal(const std::string& path);
// Writes the data and the script, then runs gnuplot on the script. Without gnuplot, says
// on standard error how to draw the plot later and returns true. false on a failure.
bool renderplot(const std::string& path, const std::string& data, const std::string& script, bool force);
