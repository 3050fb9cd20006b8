#include "cli/outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/commandoptions.h"

namespace {

bool systemname(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

// /dev/stdout and its kin name the file standard output already holds open.
bool isstandardoutput(const struct stat& target) {
    struct stat out {};
    return fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == target.st_dev && out.st_ino == target.st_ino;
}

} // namespace

outputtarget::outputtarget(std::string path, bool force_) : finalpath(std::move(path)), force(force_) {
    if (finalpath == "-") {
        kind = way::standardoutput;
        return;
    }
    struct stat link {};
    if (lstat(finalpath.c_str(), &link) != 0) return; // a new name
    struct stat target {};
    const bool resolves = stat(finalpath.c_str(), &target) == 0;
    if (systemname(finalpath) || (resolves && !S_ISREG(target.st_mode))) {
        kind = resolves && isstandardoutput(target) ? way::standardoutput : way::direct;
        return;
    }
    if (!force) throw usageerror("output file " + finalpath + " exists; -f/--force replaces it");
}

outputtarget::~outputtarget() = default;

std::FILE* outputtarget::open() {
    std::FILE* file = openstream();
    if (file != nullptr) std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    return file;
}

std::FILE* outputtarget::openstream() {
    if (kind == way::temporary) {
        const heldinterruptions held;
        temp.emplace(finalpath);
        if (!temp->ok()) return nullptr;
        listing.emplace(temp->path());
        return temp->stream();
    }
    if (kind == way::standardoutput) {
        // The data keeps the real standard output; everything printed goes to standard error.
        std::fflush(stdout);
        const int data = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (data < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return nullptr;
        stream.reset(fdopen(data, "wb"));
        return stream.get();
    }
    // No O_CREAT: only the device, FIFO or socket found there is opened.
    const int fd = ::open(finalpath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || (S_ISREG(opened.st_mode) && !systemname(finalpath))) {
        close(fd); // replaced by a plain file since it was looked at
        errno = EEXIST;
        return nullptr;
    }
    stream.reset(fdopen(fd, "wb"));
    if (!stream) close(fd);
    return stream.get();
}

bool outputtarget::seekable() const {
    std::FILE* file = kind == way::temporary ? (temp ? temp->stream() : nullptr) : stream.get();
    return file != nullptr && lseek(fileno(file), 0, SEEK_CUR) >= 0;
}

bool outputtarget::commit() {
    if (kind != way::temporary) return stream && std::fflush(stream.get()) == 0 && closefile(stream);
    if (!temp) return false;
    const bool done = temp->commit(force);
    listing.reset();
    return done;
}

std::string outputbeside(const std::string& input, const std::string& suffix) {
    if (input == "-") return "-";
    const std::string extension = ".ztb";
    const bool ztb = input.size() >= extension.size() &&
                     input.compare(input.size() - extension.size(), extension.size(), extension) == 0;
    return (ztb ? input.substr(0, input.size() - extension.size()) : input) + suffix;
}
