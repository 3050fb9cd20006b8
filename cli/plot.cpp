#include "cli/plot.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>

#include "cli/commandoptions.h"
#include "cli/newfile.h"

extern char** environ;

namespace {

bool endswith(const std::string& s, const std::string& end) {
    return s.size() > end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::string gnuplotquoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

void checkplotname(const std::string& path, bool force) {
    if (!endswith(path, ".svg") && !endswith(path, ".png"))
        throw usageerror("--plot " + path + ": needs a name ending in .svg or .png");
    std::string error;
    for (const std::string& name : {path, path + ".dat", path + ".gp"})
        if (!maywrite(name, force, error)) throw usageerror(error);
}

std::string plotterminal(const std::string& path) {
    const std::string terminal = endswith(path, ".svg") ? "svg size 900,560 dynamic font 'sans,12'"
                                                        : "pngcairo size 900,560 font 'sans,10'";
    return "set terminal " + terminal + "\nset output " + gnuplotquoted(path) +
           "\nset datafile separator tab\n" + "data = " + gnuplotquoted(path + ".dat") + "\n";
}

bool renderplot(const std::string& path, const std::string& data, const std::string& script, bool force) {
    const std::string datapath = path + ".dat", scriptpath = path + ".gp";
    std::string error;
    if (!writenewfile(datapath, data, force, error) || !writenewfile(scriptpath, script, force, error)) {
        std::fprintf(stderr, "tonvex: %s\n", error.c_str());
        return false;
    }
    char program[] = "gnuplot";
    std::string scriptarg = scriptpath;
    char* argv[] = {program, scriptarg.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    const int spawned = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (spawned == ENOENT) {
        std::fprintf(stderr,
                     "tonvex: gnuplot is not installed; the data is in %s, draw the plot with: gnuplot %s\n",
                     datapath.c_str(), scriptpath.c_str());
        return true;
    }
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "tonvex: gnuplot failed on %s\n", scriptpath.c_str());
        return false;
    }
    return true;
}
