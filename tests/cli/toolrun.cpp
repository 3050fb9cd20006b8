#include "toolrun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

toolrun runtonvex(const std::vector<std::string>& args, const fs::path& workdir) {
    // Both streams go to files, so that a large output never blocks the child.
    const fs::path outpath = workdir / ".stdout";
    const fs::path errpath = workdir / ".stderr";

    std::vector<std::string> argvtext{TONVEX_EXECUTABLE};
    argvtext.insert(argvtext.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvtext) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        if (chdir(workdir.c_str()) != 0) _exit(127);
        const int out = open(outpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    toolrun result;
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readfile(outpath);
    result.err = readfile(errpath);
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

nlohmann::json scratchdir::json(const std::string& line) const {
    const toolrun result = runtonvex(words(line + " --json"), root);
    EXPECT_EQ(result.status, 0) << line << ": " << result.err;
    return nlohmann::json::parse(result.out);
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
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

uint32_t le32(const std::string& bytes, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; i--) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
}
