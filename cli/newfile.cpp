#include "cli/newfile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

bool maywrite(const std::string& path, bool force, std::string& error) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return true;
    if (!force) {
        error = path + " exists; -f replaces it";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " is not a regular file; it is never replaced";
        return false;
    }
    return true;
}

bool writenewfile(const std::string& path, const std::string& bytes, bool force, std::string& error) {
    if (!maywrite(path, force, error)) return false;
    const std::filesystem::path target(path);
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data()); // O_CREAT | O_EXCL under a random name
    if (fd < 0) {
        error = "cannot create a file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = fchmod(fd, 0644) == 0; // mkstemp's 0600 would hide results from others
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = close(fd) == 0 && ok;
    // link() refuses an existing name, so a file that appeared meanwhile survives.
    if (ok) ok = force ? rename(name.data(), path.c_str()) == 0 : link(name.data(), path.c_str()) == 0;
    if (!ok) error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(name.data());
    return ok;
}
