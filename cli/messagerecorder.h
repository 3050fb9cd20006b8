#pragma once
// For the life of a command, the messages of its documents go to standard error and are
// kept, so that the command can fail with status 1 and list the messages in its report.
#include <functional>
#include <string>
#include <vector>

#include "base/message.h"

class messagerecorder {
  public:
    // beforeprint runs before each message, e.g. to take a progress bar off the line. A
    // message in held is recorded but not printed: the command words it itself.
    explicit messagerecorder(std::function<void()> beforeprint = {}, std::vector<std::string> held = {});
    messagerecorder(const messagerecorder&) = delete;
    messagerecorder& operator=(const messagerecorder&) = delete;

    // The sink to hand to a document; it records into this recorder, which must outlive it.
    messagesink sink();
    const std::vector<std::string>& messages() const { return recorded; }

  private:
    std::vector<std::string> recorded;
    std::function<void()> beforeprint;
    std::vector<std::string> held;
};
