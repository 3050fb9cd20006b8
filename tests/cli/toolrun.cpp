#include "toolrun.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Everything until end of file; a pseudo-terminal reports EIO once its other side closes.
std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return text;
    }
}

} // namespace

toolrun runtonvex(const std::vector<std::string>& args, const fs::path& workdir, bool stderrterminal) {
    // Standard output goes to a file, so that a large output never blocks the child while
    // the parent drains standard error.
    const fs::path outpath = workdir / ".stdout";
    const fs::path errpath = workdir / ".stderr";
    int master = -1, slave = -1;
    if (stderrterminal && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");

    std::vector<std::string> argvtext{TONVEX_EXECUTABLE};
    argvtext.insert(argvtext.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvtext) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        if (chdir(workdir.c_str()) != 0) _exit(127);
        const int out = open(outpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = stderrterminal ? slave : open(errpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (stderrterminal) close(master);
        execv(argv[0], argv.data());
        _exit(127);
    }
    toolrun result;
    if (stderrterminal) {
        close(slave);
        result.err = drain(master);
        close(master);
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readfile(outpath);
    if (!stderrterminal) result.err = readfile(errpath);
    fs::remove(outpath);
    fs::remove(errpath);
    return result;
}

scratchdir::scratchdir() {
    std::string pattern = (fs::temp_directory_path() / "tonvex-cli-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    fs::create_directory(root / "wav");
    fs::copy_file(fs::path(TONVEX_SOURCE_DIR) / "wav" / "test.ztb", root / "wav" / "test.ztb");
}

scratchdir::~scratchdir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string readfile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writefile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> listdir(const fs::path& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
    return names;
}
