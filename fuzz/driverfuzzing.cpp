#include "fuzz/driverfuzzing.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "app/CTonvexDoc.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/outcomes.h"

namespace {

void repairheaders(std::vector<uint8_t>& file, CTonvexDoc& doc) {
    decodeheader header = headerconfig(doc);
    const size_t H = static_cast<size_t>(header.headerwords);
    std::vector<uint16_t> words(file.size() / 2 + 1);
    for (size_t i = 0; i + 1 < file.size(); i += 2)
        words[i / 2] = static_cast<uint16_t>(file[i] | file[i + 1] << 8);
    const size_t whole = file.size() / 2;
    for (size_t at = 0; at + H <= whole;) {
        header.wordbuf = words.data() + at;
        header.read();
        if (header.syncfound != 1) {
            at += 1;
            continue;
        }
        const uint16_t crc = header.crc16(words.data() + at + 1, static_cast<uint32_t>(H - 2));
        file[2 * (at + H - 1)] = static_cast<uint8_t>(crc & 0xFF);
        file[2 * (at + H - 1) + 1] = static_cast<uint8_t>(crc >> 8);
        at += std::max<size_t>(static_cast<size_t>(std::max<int16_t>(header.framewords, 0)), H);
    }
}

} // namespace

std::vector<uint8_t> choosefile(CTonvexDoc& doc, fuzzinput& in) {
    const bool repair = (in.byte() & 1) != 0;
    std::vector<uint8_t> file(in.rest(), in.rest() + in.remaining());
    if (repair) repairheaders(file, doc);
    return file;
}

std::string fuzzpath(const char* name) {
    static const std::string dir = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        return (base / ("tonvex_fuzz_" + std::to_string(getpid()))).string();
    }();
    std::filesystem::create_directories(dir);
    return dir + "/" + name;
}

std::vector<uint8_t> readfilebytes(const std::string& path, bool* exists) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (exists) *exists = file != nullptr;
    if (!file) return bytes;
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

void writefilebytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}
