#pragma once
// The frame window of the command line: the drivers' panel calls become a progress bar
// on standard error and the status line and result rows on standard output.
#include "app/framewindow.h"
#include "cli/progressbar.h"

class CTonvexDoc;

// The document's frame window while it lives.
class terminalwindow : public framewindow {
  public:
    // progress: draw the bar (standard error is a terminal and not --quiet);
    // results: print the status line and rows (not with --json, which reports them itself).
    terminalwindow(CTonvexDoc& doc, bool progress, bool results);
    ~terminalwindow() override;
    terminalwindow(const terminalwindow&) = delete;
    terminalwindow& operator=(const terminalwindow&) = delete;

    void windowinitL(int32_t progress) override;
    void windowinfoL() override;
    // Removes the bar, so that a message starts on a clean line.
    void clearprogress() { bar.clear(); }

  private:
    CTonvexDoc& doc;
    progressbar bar;
    bool results;
    framewindow* previous;
};
