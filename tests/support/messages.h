#pragma once
// Collects the messages shown through its sink, so tests can assert on them.
#include <string>
#include <vector>

#include "base/message.h"

struct messagerecorder {
    std::vector<std::string> shown;
    messagesink sink() {
        return messagesink([this](const std::string& text) { shown.push_back(text); });
    }
};
