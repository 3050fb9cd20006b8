#include "cli/outputfile.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

pendingoutput::pendingoutput(std::string finalpath_) : finalpath(std::move(finalpath_)) {
    const fs::path target(finalpath);
    // A hidden name with the process id, so that parallel runs never share it.
    const std::string name = ".tonvex-" + std::to_string(getpid()) + "-" + target.filename().string();
    temporary = (target.parent_path() / name).string();
}

pendingoutput::~pendingoutput() {
    if (committed) return;
    std::error_code ignored;
    fs::remove(temporary, ignored);
}

bool pendingoutput::commit() {
    std::error_code error;
    fs::rename(temporary, finalpath, error);
    if (error) return false;
    committed = true;
    return true;
}

std::string outputbeside(const std::string& input, const std::string& suffix) {
    const std::string extension = ".ztb";
    const bool ztb = input.size() >= extension.size() &&
                     input.compare(input.size() - extension.size(), extension.size(), extension) == 0;
    return (ztb ? input.substr(0, input.size() - extension.size()) : input) + suffix;
}
