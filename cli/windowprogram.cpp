#include "cli/windowprogram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/exitcodes.h"

std::string windowprogram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const std::filesystem::path program = self.parent_path() / "tonvex-gui";
    if (access(program.c_str(), X_OK) != 0) return {};
    return program.string();
}

int startwindow(const std::string& program, char** argv) {
    execv(program.c_str(), argv);
    std::fprintf(stderr, "tonvex: cannot start the window %s: %s\n", program.c_str(), std::strerror(errno));
    return exit_failure;
}
