#pragma once
// libtonvex, the C++ interface: decoding and bitrate scaling of .ztb bitstreams from
// files, memory or callbacks (with optional bit-error injection by an error model), their
// inspection, decoding frame by frame, and encoding of audio files into them.
//
// Threading: a session holds everything its operations touch (settings, buffers, decoder
// state, its own random source), and the library has no other mutable state, so separate
// sessions run on separate threads at once. One session is used by one thread at a time.
// With equal settings and seed a session's output is the same byte for byte, whatever
// else runs.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvex {

// "1.2.0"
const char* version();

// One event of a decode, for callers that trace where errors struck.
struct event {
    enum kinds { damagedheader, resync, skippedframe, passcrcfailed, concealedframe, erasedframe };
    kinds kind = damagedheader;
    std::int64_t frame = 0;         // number of the frame in the output (0 = first)
    std::int32_t way = 0;           // resync: 1 damaged length, 2 last good length, 3 sliding
    std::int64_t words = 0;         // resync: words from the damaged header to the next one
    std::int32_t channel = -1;      // passcrcfailed, concealedframe: -1 for the joint decoder
    std::int32_t crcerrorpos = 100; // passcrcfailed: bit-plane of the failed pass
};

// What one decode or scale run did.
struct runresult {
    bool completed = false;            // ran to its end without a failure message
    std::vector<std::string> messages; // failure texts in the order they arose
    std::string status;                // "decoding completed in 0.05 times real time"
    double inputkbps = 0.0;            // bitrate of the input stream
    double outputkbps = 0.0;           // decoded (or written) bitrate
    double biterrorrate = 0.0;         // measured: flipped of inspected bits
    std::int64_t frames = 0;           // handled: good, lost and skipped
    std::int64_t frameswritten = 0;
    std::int64_t frameslost = 0;
    std::int64_t framesconcealed = 0;
    std::int64_t frameserased = 0;
    std::int64_t passcrcfailures = 0;
    std::int64_t biterrors = 0;
    std::int64_t bitsseen = 0;
    int samplerate = 0; // Hz of the stream
};

// Where a bitstream is read from: a file, bytes in memory or a read callback.
class source {
  public:
    // The file at path; its name must end in "ztb".
    static source file(std::string path);
    // size bytes at data, not copied: they must stay unchanged until the operation returns.
    static source memory(const void* data, std::size_t size);
    // read(buffer, size) puts up to size bytes into buffer and returns how many, 0 at the
    // end, or -1 on a failure. The frame walk goes back and forth in the stream, so the
    // callback is read to its end before the operation starts.
    using readfunction = std::function<std::ptrdiff_t(void* buffer, std::size_t size)>;
    static source callback(readfunction read);

    enum kinds { fromfile, frommemory, fromcallback };
    kinds kind() const { return what; }
    const std::string& filename() const { return name; }
    const void* data() const { return start; }
    std::size_t size() const { return length; }
    const readfunction& read() const { return readcall; }

  private:
    source() = default;
    kinds what = fromfile;
    std::string name;
    const void* start = nullptr;
    std::size_t length = 0;
    readfunction readcall;
};

// Receives a decode's audio instead of a WAV file: every frame's interleaved 16-bit
// samples (channel 0 first, count = channels x 1024) with the stream's layout, the same
// samples the WAV file would hold. Returning false stops the decode with "output file
// frame write".
using pcmframes =
    std::function<bool(const std::int16_t* samples, std::size_t count, int channels, int samplerate)>;

// What the frame walk of `tonvex info` finds in a bitstream, without decoding it.
struct streaminfo {
    std::vector<std::string> messages; // failures met, in order; empty for a sound stream
    bool headerfound = false;
    bool walkedtoend = false; // false: the walk stopped on a read failure
    std::int64_t filebytes = 0;
    std::int64_t leadingbytes = 0; // passed over before the first header
    int samplerate = 0;            // Hz
    int channels = 0;
    int framelength = 1024;  // samples per channel and frame
    std::int64_t frames = 0; // good and lost
    std::int64_t goodframes = 0;
    std::int64_t lostframes = 0;
    std::int64_t damagedheaders = 0;
    std::int64_t resyncs[4] = {}; // by way: 0 none found, 1 damaged length, 2 last good length, 3 sliding
    std::int64_t wordsskipped = 0;
    int minwords = 0, maxwords = 0; // frame lengths in 16-bit words, of good frames
    std::int64_t totalwords = 0;
    std::int64_t blockmodes[4] = {}; // good frames by block mode: all short, all long, long-short, short-long
    int mincodedbands = 0, maxcodedbands = 0;
};

// A decoding and scaling context with its own settings and random source.
class session {
  public:
    session();
    ~session();
    session(session&&) noexcept;
    session& operator=(session&&) noexcept;

    // A setting by its name, as `tonvex settings` lists them (ber, scaledbitrate,
    // outputbitratemode, jointcoding, errormodel, gamma, fer, patternpath, ...). Returns
    // false and says why in error when the name is unknown or the value out of range;
    // the setting then keeps its value.
    bool set(std::string_view name, double value, std::string* error = nullptr);
    bool set(std::string_view name, std::string_view text, std::string* error = nullptr);
    std::optional<double> get(std::string_view name) const;
    // The names of every numeric setting.
    static std::vector<std::string> settingnames();

    // The random source's state; a fresh session starts at 1. Bit errors, dither and
    // concealment draw from it in a fixed order, so a seed fixes a run's output.
    void seed(std::uint32_t state);
    std::uint32_t randomstate() const;

    // Called as the whole percentage of the input read grows (1..100), and with each event.
    void onprogress(std::function<void(int)> progress);
    void onevent(std::function<void(const event&)> handler);

    // The bitstream file to a 16-bit PCM WAV file.
    runresult decode(const std::string& bitstream, const std::string& wav);
    // The bitstream file cut down to the scaledbitrate setting, without decoding; the
    // output name must end in "ztb".
    runresult scale(const std::string& bitstream, const std::string& scaled);

    // The same from any source, and into a PCM callback or bytes in memory. The file
    // forms above are decode(source::file(bitstream), wav) and the like.
    runresult decode(const source& bitstream, const std::string& wav);
    runresult decode(const source& bitstream, const pcmframes& output);
    runresult scale(const source& bitstream, const std::string& scaled);
    runresult scale(const source& bitstream, std::vector<std::uint8_t>& scaled);

    // The frame walk of a stream under this session's header settings (synctolerance,
    // jointcoding, ...); no random draw.
    streaminfo inspect(const source& bitstream);

  private:
    friend class framedecoder;
    struct state;
    std::unique_ptr<state> s;
};

// Decoding frame by frame, for callers that do their own framing (a transport that hands
// over frames and knows when one went missing). Words are the stream's 16-bit words as
// numbers (the file stores each low byte first).
class framedecoder {
  public:
    // Takes the stream's layout from the header of its first frame (n words, header first),
    // which must have its sync word and pass its CRC; the codec configuration, the scaled
    // bitrate and output-bitrate mode, the dither and the random state are the session's
    // (a fresh session when none is given). The first frame is not decoded: hand it to
    // decode like every other.
    framedecoder(const std::uint16_t* firstframe, std::size_t n, const session* settings = nullptr);
    ~framedecoder();
    framedecoder(framedecoder&&) noexcept;
    framedecoder& operator=(framedecoder&&) noexcept;

    // False when the first frame gave no layout; error says why. Then decode and lost give
    // no samples.
    bool valid() const;
    const std::string& error() const;
    int channels() const;
    int samplerate() const;  // Hz
    int framelength() const; // samples per channel and frame (1024)

    // One frame, n words from its header on: its interleaved 16-bit samples, channel 0
    // first, channels() x framelength() of them. A frame whose header fails its CRC or
    // that holds fewer words than its header announces is concealed like a lost one.
    std::vector<std::int16_t> decode(const std::uint16_t* words, std::size_t n);
    // A frame that never arrived, concealed from the ones before it.
    std::vector<std::int16_t> lost();

  private:
    struct state;
    std::unique_ptr<state> s;
};

// inspect with the initial settings.
streaminfo inspect(const source& bitstream);

// Encoder settings; the codec configuration must match the decoding session's.
struct encodeoptions {
    double bitrate = 128.0; // kbit/s
    int jointcoding = 1;
    int weightmode = 2;
    int crcon = 1;
    int codedbands = 0;     // 0: chosen by the run coding
    int blockswitching = 1; // 0: long blocks only
};

struct encoderesult {
    bool ok = false;
    std::string error; // why not, when not ok
    int channels = 0;
    int samplerate = 0;
    std::int64_t frames = 0;
    double bitrate = 0.0; // kbit/s of the stream written
};

// Any audio file libsndfile reads (1 or 2 channels at 11.025 to 48 kHz) to a bitstream.
// On failure no output file is left behind.
encoderesult encode(const std::string& audio, const std::string& bitstream,
                    const encodeoptions& options = {});

} // namespace tonvex
