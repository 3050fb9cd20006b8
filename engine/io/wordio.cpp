#include "engine/io/wordio.h"

#include <algorithm>
#include <filesystem>

#include <sys/types.h>

namespace {
constexpr int32_t chunkwords = 1024;
}

filehandle openfile(const std::string& path, const char* mode) {
    return filehandle(std::fopen(path.c_str(), mode));
}

bool closefile(filehandle& file) {
    if (!file) return true;
    return std::fclose(file.release()) == 0;
}

int32_t readwords(std::FILE* file, uint16_t* words, int32_t n) {
    unsigned char bytes[2 * chunkwords];
    int32_t done = 0;
    while (done < n) {
        const int32_t want = std::min(chunkwords, n - done);
        const size_t got = std::fread(bytes, 1, 2 * static_cast<size_t>(want), file) / 2;
        for (size_t i = 0; i < got; i++)
            words[done + i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        done += static_cast<int32_t>(got);
        if (static_cast<int32_t>(got) < want) break;
    }
    return done;
}

int32_t writewords(std::FILE* file, const uint16_t* words, int32_t n) {
    unsigned char bytes[2 * chunkwords];
    int32_t done = 0;
    while (done < n) {
        const int32_t want = std::min(chunkwords, n - done);
        for (int32_t i = 0; i < want; i++) {
            bytes[2 * i] = static_cast<unsigned char>(words[done + i] & 0xFF);
            bytes[2 * i + 1] = static_cast<unsigned char>(words[done + i] >> 8);
        }
        const size_t put = std::fwrite(bytes, 1, 2 * static_cast<size_t>(want), file) / 2;
        done += static_cast<int32_t>(put);
        if (static_cast<int32_t>(put) < want) break;
    }
    return done;
}

int32_t writesamples(std::FILE* file, const int16_t* samples, int32_t n) {
    // Two's complement: the bit pattern of each sample is its word.
    uint16_t words[chunkwords];
    int32_t done = 0;
    while (done < n) {
        const int32_t want = std::min(chunkwords, n - done);
        for (int32_t i = 0; i < want; i++) words[i] = static_cast<uint16_t>(samples[done + i]);
        const int32_t put = writewords(file, words, want);
        done += put;
        if (put < want) break;
    }
    return done;
}

bool seekby(std::FILE* file, int64_t offset) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_CUR) == 0;
}

int64_t filesize(std::FILE* file) {
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    const int64_t size = ftello(file);
    if (fseeko(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

bool endsinztb(const std::string& path) {
    return path.size() >= 3 && path.compare(path.size() - 3, 3, "ztb") == 0;
}

bool samefile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

filehandle openbitstream(const messagesink& messages, const std::string& path, const std::string& outputpath,
                         const char* badname, const char* notfound, int64_t& length) {
    if (!endsinztb(path)) {
        messages(badname);
        return nullptr;
    }
    filehandle file = openfile(path, "rb");
    length = file ? filesize(file.get()) : -1;
    if (length < 0) {
        messages(notfound);
        return nullptr;
    }
    if (samefile(path, outputpath)) {
        messages("input and output are the same file");
        return nullptr;
    }
    return file;
}
