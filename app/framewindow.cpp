#include "app/framewindow.h"

#include <utility>

namespace {
framewindow* mainwindow = nullptr;
}

framewindow* mainframewindow() {
    return mainwindow;
}

framewindow* setmainframewindow(framewindow* window) {
    return std::exchange(mainwindow, window);
}
