#pragma once
// What every fuzz entry point needs around a run: messages swallowed (a hostile input
// may legitimately raise many), a frame window that draws nothing, and a check that
// aborts with a reason so a fuzzer records the input.
#include <string>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "app/messagebox.h"
#include "base/random.h"
#include "fuzz/fuzzinput.h"

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

// Settings from the input: a count byte (0..7), then that many pairs of a setting (by its
// place in the settings list) and a value byte that picks within the setting's range. No
// pairs leave the defaults, the configuration most streams use.
void fuzzsettings(CTonvexDoc& doc, fuzzinput& in);

// The frame of every entry that runs decoders: quiet, the random source at the state a
// fresh program has (so a saved input replays exactly), and a document whose settings
// come from the input's first bytes.
struct fuzzrun {
    fuzzrun(const uint8_t* data, size_t size) : in(data, size) {
        doc.random.seed(1);
        fuzzsettings(doc, in);
    }
    quietrun quiet;
    fuzzinput in;
    CTonvexDoc doc;
};
