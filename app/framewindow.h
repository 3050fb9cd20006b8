#pragma once
// The application's main frame window as the drivers see it: the two panel wrappers.
// The window, the command line and the tests each provide one.
#include <cstdint>

class framewindow {
  public:
    virtual ~framewindow() = default;
    // Draws the status slot: a progress bar for 1..100, the status text for 0.
    virtual void windowinitL(int32_t progress) = 0;
    // Draws the five result rows.
    virtual void windowinfoL() = 0;
};

// The main frame window of the application; nullptr when there is none.
framewindow* mainframewindow();
// Installs the main frame window (nullptr removes it); returns the previous one.
framewindow* setmainframewindow(framewindow* window);
