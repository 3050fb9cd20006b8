#pragma once
// Runs the built tonvex executable in a working directory of its own and collects its
// exit status, standard output and standard error.
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct toolrun {
    int status = -1; // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// "decode -o out.wav" as its words.
std::vector<std::string> words(const std::string& line);
// The little-endian 32-bit word at a byte offset, as in a WAV header.
uint32_t le32(const std::string& bytes, std::size_t at);

toolrun runtonvex(const std::vector<std::string>& args, const std::filesystem::path& workdir);

// A fresh directory for one test, with a copy of the bundled sample at wav/test.ztb;
// removed with the object.
class scratchdir {
  public:
    scratchdir();
    ~scratchdir();
    scratchdir(const scratchdir&) = delete;
    scratchdir& operator=(const scratchdir&) = delete;
    const std::filesystem::path& path() const { return root; }
    std::filesystem::path operator/(const std::string& name) const { return root / name; }
    // Runs tonvex in this directory.
    toolrun run(const std::vector<std::string>& args) const { return runtonvex(args, root); }
    toolrun run(const char* line) const { return runtonvex(words(line), root); }
    // Runs a command given --json, expects it to succeed and returns its report.
    nlohmann::json json(const std::string& line) const;

  private:
    std::filesystem::path root;
};

std::string readfile(const std::filesystem::path& path);
void writefile(const std::filesystem::path& path, const std::string& bytes);
// Names in a directory, sorted, for checking that no temporary file was left behind.
std::vector<std::string> listdir(const std::filesystem::path& path);
