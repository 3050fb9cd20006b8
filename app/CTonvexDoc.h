#pragma once
// The one document of the application: the user's settings (those of the engine's
// stream job, which it is), the names of the files, and the contents of the information
// panel. Toolkit-free: the window, the command line and the tests all drive the same
// object. Its two operations run the engine on its settings and draw through the frame
// window its owner gives it; failures go to the message sink in hooks.messages, which the
// owner sets too (standard error until then).
#include <string>

#include "engine/streamjob.h"

class framewindow;

class CTonvexDoc : public streamjob {
  public:
    CTonvexDoc();

    inforow inforows[5];
    std::string directory;
    std::string basename;
    std::string bitstreamname;
    std::string statustext;
    std::string scaledname;
    std::string wavname;
    // The main frame window that draws progress and results; none stops an operation
    // with "pointer error: decodeZAT".
    framewindow* window = nullptr;

    // The engine's decodeZAT and scaleZAT with the frame window drawing progress and
    // results.
    void decodeZAT();
    void scaleZAT();

    // Takes the status line and the result rows of a run that reached its end.
    void takesummary(const runsummary& summary);

    // Rebuilds bitstreampath, scaledpath and wavpath from directory and the three names.
    void updatepaths();

  private:
    // Runs one engine operation with hooks to the window; "pointer error: decodeZAT"
    // without one.
    void run(void (streamjob::*operation)());
};

// directory joined to name with the platform's separator; an empty directory is the
// current directory, so the name stands alone.
std::string joinpath(const std::string& directory, const std::string& name);
