#include "base/message.h"

#include <cstdio>
#include <utility>

namespace {
messagehandler& currenthandler() {
    static messagehandler handler;
    return handler;
}
} // namespace

void showmessage(const std::string& text) {
    if (currenthandler()) {
        currenthandler()(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

messagehandler setmessagehandler(messagehandler handler) {
    return std::exchange(currenthandler(), std::move(handler));
}
