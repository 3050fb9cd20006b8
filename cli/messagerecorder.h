#pragma once
// For the life of a command, every message box text goes to standard error and is kept,
// so that the command can fail with status 1 and list the messages in its report.
#include <functional>
#include <string>
#include <vector>

#include "base/message.h"

class messagerecorder {
  public:
    // beforeprint runs before each message, e.g. to take a progress bar off the line.
    explicit messagerecorder(std::function<void()> beforeprint = {});
    ~messagerecorder();
    messagerecorder(const messagerecorder&) = delete;
    messagerecorder& operator=(const messagerecorder&) = delete;

    const std::vector<std::string>& messages() const { return recorded; }

  private:
    std::vector<std::string> recorded;
    messagehandler previous;
};
