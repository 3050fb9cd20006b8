#pragma once
// File access of the drivers: 16-bit words and samples stored low byte first whatever the
// host, 64-bit file positions, and files that close themselves on every stop path.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/message.h"

struct fileclose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using filehandle = std::unique_ptr<std::FILE, fileclose>;

filehandle openfile(const std::string& path, const char* mode);
// Closes the file now; false when closing failed (buffered data may be lost).
bool closefile(filehandle& file);

// Reads up to n words; returns the number of whole words read.
int32_t readwords(std::FILE* file, uint16_t* words, int32_t n);
// Writes n words or samples; returns the number written.
int32_t writewords(std::FILE* file, const uint16_t* words, int32_t n);
int32_t writesamples(std::FILE* file, const int16_t* samples, int32_t n);

// Moves the position by offset bytes; false on failure.
bool seekby(std::FILE* file, int64_t offset);
// Size in bytes (seek to the end, take the position, seek back to the start); -1 on failure.
int64_t filesize(std::FILE* file);

// Opens a bitstream file for reading and takes its length. Shows messages badname when the path
// does not end in "ztb", notfound when it cannot be opened or measured, and "input and
// output are the same file" when it is the operation's output file; then returns no file.
filehandle openbitstream(const messagesink& messages, const std::string& path, const std::string& outputpath,
                         const char* badname, const char* notfound, int64_t& length);
// True when the last three characters are exactly "ztb".
bool endsinztb(const std::string& path);
// True when both paths name one existing file (also through links).
bool samefile(const std::string& first, const std::string& second);
