#pragma once
// Where a command's output goes, decided before anything runs:
// - a new name, or an existing file or link with --force: a temporary file beside it,
//   renamed onto the name only when the run has succeeded (a link is replaced, never
//   written through);
// - an existing device, FIFO or socket, or a name under /dev or /proc (such as
//   /dev/stdout): written directly, never renamed over or removed;
// - "-": standard output, which from then on carries only the data (status lines go to
//   standard error).
// An existing file is never replaced without --force.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/tempoutput.h"
#include "cli/interruption.h"
#include "engine/io/wordio.h"

class outputtarget {
  public:
    // Throws usageerror for an existing file without force. (A folder is opened like a
    // device, which fails.)
    outputtarget(std::string path, bool force);
    ~outputtarget();
    outputtarget(const outputtarget&) = delete;
    outputtarget& operator=(const outputtarget&) = delete;

    const std::string& path() const { return finalpath; }
    // Standard output, a device, FIFO or socket: no name of a file being made.
    bool direct() const { return kind != way::temporary; }
    // Opens the stream to write to; nullptr (errno set) when it cannot be opened.
    std::FILE* open();
    // Whether the opened stream can go back to rewrite a header.
    bool seekable() const;
    // Makes the written data the output: flushes it and, for a temporary file, renames
    // it onto the name. False (errno set) on failure; the temporary file is then gone.
    bool commit();

  private:
    enum class way { temporary, direct, standardoutput };
    std::FILE* openstream();
    // First, so that it outlives the streams writing through it: a buffer of many frames
    // turns one write call per frame into one per 64 frames.
    std::vector<char> buffer = std::vector<char>(256 * 1024);
    std::string finalpath;
    bool force;
    way kind = way::temporary;
    std::optional<tempoutput> temp;
    std::optional<listedtemporary> listing;
    filehandle stream; // direct and standard output
};

// The name the document builds for an output beside input: a trailing ".ztb" replaced
// by suffix ("wav/test.ztb" and ".wav" give "wav/test.wav"). Standard input ("-") goes
// to standard output.
std::string outputbeside(const std::string& input, const std::string& suffix);
