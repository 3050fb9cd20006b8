#include "base/message.h"

#include <cstdio>

void messagesink::operator()(const std::string& text) const {
    if (show) {
        show(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}
