#include "cli/messagerecorder.h"

#include <algorithm>
#include <cstdio>

messagerecorder::messagerecorder(std::function<void()> beforeprint, std::vector<std::string> held)
    : previous(setmessagehandler(
          [this, beforeprint = std::move(beforeprint), held = std::move(held)](const std::string& text) {
              recorded.push_back(text);
              if (std::find(held.begin(), held.end(), text) != held.end()) return;
              if (beforeprint) beforeprint();
              std::fprintf(stderr, "%s\n", text.c_str());
          })) {}

messagerecorder::~messagerecorder() {
    setmessagehandler(previous);
}
