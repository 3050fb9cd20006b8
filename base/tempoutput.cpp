#include "base/tempoutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// The umask without changing it: Linux reports it in the process status; elsewhere the
// usual 022 is assumed.
mode_t currentumask() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned mask = 022;
            status >> std::oct >> mask;
            return static_cast<mode_t>(mask & 0777);
        }
    }
    return 022;
}

// Renames without ever replacing an existing name; where the file system cannot do that
// in one step, a hard link, which fails with EEXIST just the same.
bool renamenoreplace(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

} // namespace

tempoutput::tempoutput(std::string finalpath_) : finalpath(std::move(finalpath_)) {
    const std::filesystem::path target(finalpath);
    // Random characters before the final name, so that the name keeps its extension.
    const std::string suffix = "-" + target.filename().string();
    std::string pattern = (target.parent_path() / (".tonvex-XXXXXX" + suffix)).string();
    // mkostemps opens with O_CREAT | O_EXCL, which never follows a link.
    const int fd = mkostemps(pattern.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0) return;
    temporary = pattern;
    file.reset(fdopen(fd, "wb"));
    if (!file) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        errno = error;
    }
}

tempoutput::~tempoutput() {
    if (committed || temporary.empty()) return;
    file.reset();
    unlink(temporary.c_str());
}

bool tempoutput::commit(bool replace) {
    if (!file) return false;
    const bool written = std::fflush(file.get()) == 0 &&
                         fchmod(fileno(file.get()), 0666 & ~currentumask()) == 0 &&
                         std::fclose(file.release()) == 0;
    const bool renamed = written && (replace ? std::rename(temporary.c_str(), finalpath.c_str()) == 0
                                             : renamenoreplace(temporary.c_str(), finalpath.c_str()));
    if (!renamed) {
        const int error = errno;
        file.reset();
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    committed = true;
    return true;
}
