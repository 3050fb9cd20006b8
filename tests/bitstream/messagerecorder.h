#pragma once
// Collects the messages shown while it lives, so tests can assert on them.
#include <string>
#include <vector>

#include "base/message.h"

class messagerecorder {
  public:
    messagerecorder() {
        previous = setmessagehandler([this](const std::string& text) { shown.push_back(text); });
    }
    ~messagerecorder() { setmessagehandler(previous); }
    messagerecorder(const messagerecorder&) = delete;
    messagerecorder& operator=(const messagerecorder&) = delete;

    std::vector<std::string> shown;

  private:
    messagehandler previous;
};
