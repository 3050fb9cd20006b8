#pragma once
// One stream operation of the engine: the settings it runs with, the frame and sample
// buffers, the random source, the counters and statistics it leaves, and the hooks
// through which it reports. decodeZAT and scaleZAT run on one job; a job never touches
// another's state, so separate jobs run on separate threads at once.
//
// Settings are members that the caller sets before an operation; the stream-derived
// values (srindex, fs_khz, shortlen, nblock, midpoint, nband1, nband2) are replaced by
// those of the stream an operation reads.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "base/message.h"
#include "base/random.h"
#include "codec/codingconfig.h"
#include "engine/errors/bursthistogram.h"
#include "engine/errors/errorchannel.h"
#include "engine/io/wordio.h"
#include "engine/runreport.h"

// What happened to the frames of the last operation, beyond what the panel shows.
struct drivestats {
    int64_t frameshandled = 0;   // good, lost and skipped frames (scaler: frames read)
    int64_t frameswritten = 0;   // frames that reached the output file
    int64_t frameslost = 0;      // damaged headers plus frames skipped by the index
    int64_t framesskipped = 0;   // lost without reading, from the gap in frame indices
    int64_t damagedheaders = 0;  // headers that failed the CRC or announced no valid length
    int64_t resyncs[4] = {};     // by the way the next header was found: 0 none, 1 damaged
                                 // length, 2 last good length, 3 sliding
    int64_t wordsskipped = 0;    // words passed over from damaged headers to the next header
    int64_t framesconcealed = 0; // frames whose output is a concealment substitute
    int64_t passcrcfailures = 0; // decoder runs (channel or joint) with a failed CRC word
    int64_t passescut = 0;       // decoder runs whose last pass lost its CRC word to the budget
    int64_t crcintact = 0;       // CRC words of decoded frames that matched over protected data:
                                 // passes, and side information covering at least one word
    int64_t frameserased = 0;    // frames the error model handed to the decoders as lost
    int64_t frameoffset = 0;     // byte offset in the input of the frame read last
    bursthistogram bursts;       // runs of flipped bits (bit models) or erased frames
    bool completed = false;      // the operation ran to its end without a failure message
};

// One event of a run, for a front end that traces where errors struck.
struct driveevent {
    enum kinds { damagedheader, resync, skippedframe, passcrcfailed, concealedframe, erasedframe };
    kinds kind = damagedheader;
    int64_t frame = 0;         // number of the frame in the output sequence (0 = first)
    int32_t way = 0;           // resync: 1 damaged length, 2 last good length, 3 sliding, 0 none
    int64_t words = 0;         // resync: words from the damaged header to the next one found
    int32_t channel = -1;      // passcrcfailed, concealedframe: channel, -1 for the joint decoder
    int32_t crcerrorpos = 100; // passcrcfailed: bit-plane of the failed pass
};

class pcmsink;

inline constexpr int framebufwords = 1022; // longest frame 511 words, plus the look-ahead

// How an operation reports while it runs; any member may be left empty.
struct runhooks {
    messagesink messages;                                // failure texts, e.g. "cannot find bitstream file"
    std::function<void(int32_t percent)> progress;       // whenever the whole percentage read grows
    std::function<void(const std::string& text)> status; // the status line was cleared or replaced
    std::function<void(const runsummary&)> finished;     // the figures of a run that reached its end
    std::function<void(const driveevent&)> event;
};

class streamjob {
  public:
    streamjob();
    streamjob(const streamjob&) = delete;
    streamjob& operator=(const streamjob&) = delete;

    double ber = 0.0;
    double scaledbitrate = 80.0;
    double fs_khz = 48.0;
    // The coding configuration the decoders receive once per operation.
    codingconfig config;
    int32_t errorsenabled = 1;
    int32_t outputbitratemode = 0;
    int32_t synctolerance = 1;
    int32_t shortlen = 128; // the stream-derived values hold those of a 48 kHz stream until
    int32_t longlen = 1024; // the first operation replaces them
    int32_t nband1 = 32;
    int32_t nband2 = 32;
    int32_t nblock = 8;
    int32_t framelen = 1024;
    int32_t midpoint = 576; // framelen/2 + shortlen/2, handed to arrayalloc_zatdec
    // Threads of a decode: 1, or 2 for the frame walk and spectra on one and the synthesis
    // and output on the other (more are of no use); 0 as many as useful on this machine.
    // The output is the same with any number.
    int32_t threads = 0;
    int16_t srindex = 7;
    std::string bitstreampath;
    std::string scaledpath;
    std::string wavpath;
    // Doubles at full scale 1.0: one channel of one frame as the synthesis leaves it.
    std::unique_ptr<double[]> pcm_buf;
    int32_t dither = 1;
    // Interleaved 16-bit samples of one frame, channel 0 first.
    std::unique_ptr<int16_t[]> pcmfilebuf;
    // The first stage of a decode writes the frame, the counts, the statistics and the
    // random source frame by frame while the second reads the settings around them: each
    // starts a cache line of its own, so that the second's reads do not wait on the first.
    alignas(64) uint16_t framebuf[framebufwords] = {};
    int64_t nbiterrors = 0; // 64-bit: a long file at a high error rate passes 2^31 bits
    int64_t nbitsseen = 0;
    // The error model of a decode (engine/errors/errorchannel.h): 0 independent bit errors at
    // ber, 1 two-state bit errors, 2 frame erasures at fer, 3 the pattern file.
    int32_t errormodel = 0;
    double gamma = 0.0; // burstiness of the two-state channels: 0 independent, towards 1 long bursts
    double fer = 0.0;   // frame erasure rate
    std::string patternpath;
    errorchannel errors;

    // Counts and trace of the last operation (see drivestats, driveevent).
    alignas(64) drivestats stats;
    // A front end's own outputs: decodeZAT hands its samples to sink instead of creating
    // wavpath, scaleZAT writes to scaledstream instead of creating scaledpath; the front
    // end keeps or discards what they received.
    alignas(64) pcmsink* sink = nullptr;
    std::FILE* scaledstream = nullptr;
    // A front end's own input (a seekable stream at its start): the next decodeZAT or
    // scaleZAT reads and closes it instead of opening bitstreampath.
    filehandle bitstreamstream;
    // Largest PCM data size a WAV file can announce: its size fields hold 32 bits and the
    // RIFF size adds 36. Lowered only by tests.
    uint64_t wavdatalimit = 0xFFFFFFFFull - 36;

    // Draws of the operations, in the order the operations make them; a fresh job starts
    // at 1 like a fresh program.
    alignas(64) randomsource random;
    alignas(64) runhooks hooks;

    // decodeZAT: the bitstream file named by bitstreampath to the WAV file wavpath.
    // scaleZAT: the same file cut down to scaledbitrate, written to scaledpath.
    void decodeZAT();
    void scaleZAT();

    // Flips bits of n words by the error model and counts 16 inspected bits per word in
    // any case. errormodel 0: each bit with probability ber, 16 draws per word when
    // enabled, bit 0 first.
    void inserterrors(uint16_t* words, int32_t n, int32_t enabled);
    // Whether the frame just read goes to the decoders as lost (errormodel 2, or 3 with a
    // frame pattern); counts and reports it as frame frameno.
    bool eraseframe(int64_t frameno);
    // The input of an operation: bitstreamstream if given, else the file bitstreampath
    // (badname when it does not end in "ztb", notfound when it cannot be opened, a message
    // when it is the file outputpath names). Sets length in bytes; no file after a message.
    filehandle openinput(const std::string& outputpath, const char* badname, const char* notfound,
                         int64_t& length);
    // Frame length in words that kbps allows, clamped to 8..511.
    int16_t scaledframelen(double kbps) const;
    // The 44-byte WAV header at the file's position; 0 on success, 1 on a short write.
    int writewavheader(std::FILE* file, int16_t nch, int64_t samples, int32_t rate, int16_t bits) const;
    void allocNFRAMEarrays();

    void emit(const driveevent& event) const {
        if (hooks.event) hooks.event(event);
    }
    void showmessage(const std::string& text) const { hooks.messages(text); }
};
