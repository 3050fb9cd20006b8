#include "cli/inputfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

bool copyall(int from, int to) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = write(to, buffer + put, static_cast<size_t>(got - put));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            put += n;
        }
    }
}

} // namespace

inputfile::inputfile(const std::string& name, const std::string& suffix) : readable(name) {
    if (name != "-") return;
    const char* folder = std::getenv("TMPDIR");
    std::string pattern =
        (std::filesystem::path(folder && *folder ? folder : "/tmp") / ("tonvex-stdin-XXXXXX" + suffix))
            .string();
    int fd = -1;
    {
        const heldinterruptions held;
        fd = mkostemps(pattern.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
        if (fd >= 0) listing.emplace(pattern);
    }
    if (fd < 0)
        throw std::runtime_error("cannot copy standard input to a temporary file: " +
                                 std::string(std::strerror(errno)));
    readable = pattern;
    copied = true;
    const bool whole = copyall(STDIN_FILENO, fd);
    close(fd);
    if (!whole) {
        unlink(readable.c_str());
        copied = false;
        throw std::runtime_error("cannot read standard input: " + std::string(std::strerror(errno)));
    }
}

inputfile::~inputfile() {
    if (copied) unlink(readable.c_str());
}
