#include "cli/messagerecorder.h"

#include <algorithm>
#include <cstdio>

messagerecorder::messagerecorder(std::function<void()> beforeprint, std::vector<std::string> held)
    : beforeprint(std::move(beforeprint)), held(std::move(held)) {}

messagesink messagerecorder::sink() {
    return messagesink([this](const std::string& text) {
        recorded.push_back(text);
        if (std::find(held.begin(), held.end(), text) != held.end()) return;
        if (beforeprint) beforeprint();
        std::fprintf(stderr, "%s\n", text.c_str());
    });
}
