#pragma once
// Outputs are written under a temporary name beside their final one and renamed only when
// the operation has succeeded, so that a failed run never leaves a file that looks
// complete, and never destroys an earlier output of the same name.
#include <string>

class pendingoutput {
  public:
    explicit pendingoutput(std::string finalpath);
    ~pendingoutput(); // removes the temporary file unless committed
    pendingoutput(const pendingoutput&) = delete;
    pendingoutput& operator=(const pendingoutput&) = delete;

    // The name to write to. It ends like the final name, so extension checks still apply.
    const std::string& path() const { return temporary; }
    // Renames the temporary file to the final name; false (and nothing left) on failure.
    bool commit();

  private:
    std::string finalpath;
    std::string temporary;
    bool committed = false;
};

// The name the document builds for an output beside input: a trailing ".ztb" replaced
// by suffix ("wav/test.ztb" and ".wav" give "wav/test.wav").
std::string outputbeside(const std::string& input, const std::string& suffix);
