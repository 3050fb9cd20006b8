#pragma once
// What every fuzz entry point needs around a run: messages swallowed (a hostile input
// may legitimately raise many), a frame window that draws nothing, and a check that
// aborts with a reason so a fuzzer records the input.
#include <string>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "base/message.h"
#include "base/random.h"
#include "fuzz/fuzzinput.h"

// Counts and swallows the messages of a run, and gives documents a frame window that
// draws nothing. Outlives what it is attached to.
class quietrun {
  public:
    quietrun() = default;
    quietrun(const quietrun&) = delete;
    quietrun& operator=(const quietrun&) = delete;

    messagesink sink();
    // The document's messages and frame window become these.
    void attach(CTonvexDoc& doc);

    int messages = 0;
    std::string last; // the last message shown

  private:
    blankwindow window;
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
        quiet.attach(doc);
        doc.random.seed(1);
        fuzzsettings(doc, in);
    }
    quietrun quiet;
    fuzzinput in;
    CTonvexDoc doc;
};
