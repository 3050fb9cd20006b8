#pragma once
// Collects the texts the front ends' message box shows while it lives, so window tests
// can assert on them.
#include <string>
#include <vector>

#include "app/messagebox.h"

class messageboxrecorder {
  public:
    messageboxrecorder() {
        previous = setmessagehandler([this](const std::string& text) { shown.push_back(text); });
    }
    ~messageboxrecorder() { setmessagehandler(previous); }
    messageboxrecorder(const messageboxrecorder&) = delete;
    messageboxrecorder& operator=(const messageboxrecorder&) = delete;

    std::vector<std::string> shown;

  private:
    messagehandler previous;
};
