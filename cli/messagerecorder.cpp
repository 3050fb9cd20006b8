#include "cli/messagerecorder.h"

#include <cstdio>

messagerecorder::messagerecorder(std::function<void()> beforeprint)
    : previous(setmessagehandler([this, beforeprint = std::move(beforeprint)](const std::string& text) {
          if (beforeprint) beforeprint();
          std::fprintf(stderr, "%s\n", text.c_str());
          recorded.push_back(text);
      })) {}

messagerecorder::~messagerecorder() {
    setmessagehandler(previous);
}
