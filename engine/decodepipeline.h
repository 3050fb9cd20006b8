#pragma once
// decodepipeline: the frame loop of a decode in two stages. The first stage walks the
// frames, inserts the bit errors, decodes the spectra and conceals (framedecoder::analyse);
// the second runs the filter banks, converts to 16 bits, writes and reports progress
// (framedecoder::replay). With two threads the first stage runs ahead on its own thread,
// at most `ring` frames, and the second follows on the calling thread; with one they
// alternate frame by frame on the calling thread. The random draws, the output, and the
// order and number of messages, events and progress calls are the same either way: the
// first stage jumps over each channel's dither draws and records where they start, and
// the hooks of the first stage reach the front end only through the second.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/framedecoder.h"
#include "engine/framerecord.h"
#include "engine/readframe.h"
#include "engine/streamjob.h"

// While a decode runs, the job's message and event hooks pass through here: straight to
// the front end's hooks, or, while the first stage works on a frame, into that frame's
// record, so that they reach the front end in their place among the frames and never for
// a frame that was not written. Installed for the whole operation, so that every object
// built for it shows through the relay.
class hookrelay {
  public:
    explicit hookrelay(streamjob& doc);
    ~hookrelay() { doc.hooks = outer; }
    hookrelay(const hookrelay&) = delete;
    hookrelay& operator=(const hookrelay&) = delete;

    const runhooks outer; // the front end's
    std::vector<frameaction>* recording = nullptr;

  private:
    streamjob& doc;
};

class decodepipeline {
  public:
    enum class ending { finished, toolarge, failed };
    // output: the WAV file, or null when the document's sink takes the frames.
    decodepipeline(streamjob& doc, hookrelay& relay, framereader& reader, framedecoder& decoders,
                   std::FILE* output);

    // Runs the loop to its end with one or two threads (threads is the job's setting:
    // 0 for as many as useful). The frames written are in frames, the words read and
    // decoded in inputwords and decodedwords, and the job's stats are as a loop of one
    // thread leaves them.
    ending run(int32_t threads);

    int64_t frames = 0;
    int64_t inputwords = 0, decodedwords = 0;

  private:
    enum class step { next, finished, toolarge, failed, writefailed };

    ending runinline();
    ending runthreaded();
    // The first stage of frame frameno into record; false when the record ends the walk.
    bool analyse(framerecord& record, int64_t frameno);
    // The second stage of one record.
    step deliver(const framerecord& record);
    // Puts back the first stage's part of the job as it stood before frame frameno, when
    // the first stage had begun that frame, and sets the second stage's counts.
    ending finish(step last, int64_t frameno);

    streamjob& doc;
    hookrelay& relay;
    framereader& reader;
    framedecoder& decoders;
    std::FILE* output;
    std::vector<framerecord> records;
    int64_t started = 0; // frames the first stage has begun
    int32_t progress = -1;
    int32_t framevalues = 0;
    uint64_t framebytes = 0;
};

// Threads a decode uses for the job's setting: 1 or 2.
int32_t decodethreads(int32_t setting);
