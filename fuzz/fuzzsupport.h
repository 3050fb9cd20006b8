#pragma once
// What every fuzz entry point needs around a run: messages swallowed (a hostile input
// may legitimately raise many), a frame window that draws nothing, and a check that
// aborts with a reason so a fuzzer records the input.
#include <string>

#include "app/framewindow.h"
#include "bitstream/message.h"

// Installs a silent message handler and an empty main window for its lifetime.
class quietrun {
  public:
    quietrun();
    ~quietrun();
    quietrun(const quietrun&) = delete;
    quietrun& operator=(const quietrun&) = delete;

    int messages = 0;
    std::string last; // the last message shown

  private:
    struct blankwindow : framewindow {
        void windowinitL(int32_t) override {}
        void windowinfoL() override {}
    } window;
    messagehandler previoushandler;
    framewindow* previouswindow = nullptr;
};

// Aborts with what when a property of the decoding path does not hold.
void fuzzcheck(bool holds, const char* what);
