#pragma once
// "-" as an input: standard input copied to a temporary file first, because the drivers
// measure and seek their input and the encoder reads any audio format. The copy is made
// exclusively under an unpredictable name in TMPDIR (or /tmp) and removed with the
// object, also on an interruption.
#include <optional>
#include <string>

#include "cli/interruption.h"

class inputfile {
  public:
    // name: the input as given; suffix: the ending the copy needs (".ztb" for bitstreams).
    inputfile(const std::string& name, const std::string& suffix);
    ~inputfile();
    inputfile(const inputfile&) = delete;
    inputfile& operator=(const inputfile&) = delete;

    // The file to read: name itself, or the copy of standard input.
    const std::string& path() const { return readable; }

  private:
    std::string readable;
    bool copied = false;
    std::optional<listedtemporary> listing;
};
