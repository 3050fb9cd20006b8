#pragma once
// The main frame window as the drivers see it: the two panel wrappers. The window, the
// command line and the tests each provide one and hand it to the document they drive.
#include <cstdint>

class framewindow {
  public:
    virtual ~framewindow() = default;
    // Draws the status slot: a progress bar for 1..100, the status text for 0.
    virtual void windowinitL(int32_t progress) = 0;
    // Draws the five result rows.
    virtual void windowinfoL() = 0;
};

// A frame window that draws nothing: for runs whose panel nobody watches.
class blankwindow : public framewindow {
  public:
    void windowinitL(int32_t) override {}
    void windowinfoL() override {}
};
