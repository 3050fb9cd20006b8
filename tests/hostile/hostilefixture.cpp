#include "tests/hostile/hostilefixture.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "app/settings.h"
#include "bitstream/message.h"
#include "drivers/random.h"
#include "drivers/readframe.h"

namespace fs = std::filesystem;

namespace {

struct blankwindow : framewindow {
    void windowinitL(int32_t) override {}
    void windowinfoL() override {}
};

void applysettings(CTonvexDoc& doc, const std::string& settings) {
    std::istringstream pairs(settings);
    for (std::string pair; pairs >> pair;) {
        const size_t eq = pair.find('=');
        ASSERT_NE(eq, std::string::npos) << pair;
        ASSERT_EQ(setsettingtext(doc, pair.substr(0, eq), pair.substr(eq + 1)), setresult::ok) << pair;
    }
}

std::vector<uint8_t> readfile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writefile(const fs::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) | static_cast<uint32_t>(b[at + 3])
                                                                                 << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

std::vector<uint16_t> towords(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i) words[i] = le16(bytes, 2 * i);
    return words;
}

// One driver run: the document with its settings, messages recorded, a window that draws
// nothing, and the random source at the state a fresh program has.
class driverrun {
  public:
    explicit driverrun(const std::string& settings) {
        previoushandler = setmessagehandler([this](const std::string& text) { messages.push_back(text); });
        previouswindow = setmainframewindow(&window);
        applysettings(doc, settings);
        random_seed(1);
    }
    ~driverrun() {
        setmainframewindow(previouswindow);
        setmessagehandler(previoushandler);
    }
    driverrun(const driverrun&) = delete;
    driverrun& operator=(const driverrun&) = delete;

    // The most frames a walk may hand out for a file of that size: a damaged header
    // consumes at least H words and may be followed by at most 15 frames skipped by the
    // index gap.
    int64_t framebound(size_t bytes) const {
        const int64_t H = headerwords_for(doc.weighton, doc.weightmode, doc.jointcoding);
        return 16 * (static_cast<int64_t>(bytes) / (2 * H) + 1);
    }

    CTonvexDoc doc;
    std::vector<std::string> messages;

  private:
    blankwindow window;
    messagehandler previoushandler;
    framewindow* previouswindow = nullptr;
};

// Why a finished or stopped decode's WAV file is not acceptable; empty when it is.
std::string judgewav(const fs::path& file, const CTonvexDoc& doc, bool told) {
    if (!fs::exists(file)) return told ? "" : "no WAV file and no message";
    const std::vector<uint8_t> wav = readfile(file);
    if (wav.size() < 44) return "WAV file shorter than its header";
    if (!doc.stats.completed) return told ? "" : "stopped without a message";
    const uint16_t channels = le16(wav, 22);
    if (std::string(wav.begin(), wav.begin() + 4) != "RIFF" ||
        std::string(wav.begin() + 8, wav.begin() + 16) != "WAVEfmt ")
        return "WAV header without its tags";
    if (le32(wav, 4) != wav.size() - 8) return "RIFF size disagrees with the file";
    if (le32(wav, 40) != wav.size() - 44) return "data size disagrees with the file";
    if (channels < 1 || channels > 2) return "WAV header with " + std::to_string(channels) + " channels";
    const uint64_t expected = static_cast<uint64_t>(doc.stats.frameswritten) * doc.framelen * channels * 2;
    if (le32(wav, 40) != expected) return "data size disagrees with the frames written";
    return "";
}

// Why a scaled stream is not a walk of intact, consecutively numbered frames.
std::string judgescaled(const std::vector<uint16_t>& words, const decodeheader& config, int64_t written) {
    std::vector<uint16_t> buffer(words);
    buffer.push_back(0); // the reader's look-ahead word
    decodeheader header = config;
    const int16_t H = config.headerwords;
    size_t offset = 0;
    int64_t frames = 0;
    while (offset < words.size()) {
        if (offset + H > words.size()) return "scaled stream ends inside a header";
        header.wordbuf = buffer.data() + offset;
        header.read();
        if (words[offset] != syncword || header.crc16(buffer.data() + offset + 1, H - 1) != 0)
            return "scaled frame " + std::to_string(frames) + " has a damaged header";
        if (header.frameindex != frames % 16) return "scaled frame indices not consecutive";
        if (header.framewords < std::max<int16_t>(8, H)) return "scaled frame shorter than its header";
        offset += static_cast<size_t>(header.framewords);
        frames += 1;
    }
    if (offset != words.size()) return "scaled stream ends inside a frame";
    if (frames != written) return "scaled stream holds another number of frames than reported";
    return "";
}

} // namespace

const std::vector<hostilestream>& hostilestreams() {
    static const std::vector<hostilestream> streams = {
        {"v01-default-48s", ""},          {"v05-separate-48s", "jointcoding=0"},
        {"v06-wm0-441s", "weightmode=0"}, {"v07-wm1-48s", "weightmode=1"},
        {"v08-crcoff-48s", "crcon=0"},    {"v02-sine-441m", ""},
        {"v03-clicks-32s", ""},           {"v04-twotone-11s", ""},
    };
    return streams;
}

std::vector<uint16_t> loadstream(const std::string& name) {
    return towords(readfile(fs::path(TONVEX_VECTOR_DIR) / (name + ".ztb")));
}

std::vector<uint8_t> tobytes(const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    bytes.reserve(2 * words.size());
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

decodeheader headerfor(const std::string& settings) {
    CTonvexDoc doc;
    applysettings(doc, settings);
    // The drivers' frame walk configures its header reader from the document; no file is
    // read here.
    const framereader walk(doc, nullptr, 0, false);
    return walk.header;
}

std::vector<size_t> frameoffsets(const std::vector<uint16_t>& words, const decodeheader& config) {
    std::vector<uint16_t> buffer(words);
    buffer.push_back(0);
    decodeheader header = config;
    std::vector<size_t> offsets;
    for (size_t offset = 0; offset + config.headerwords <= words.size();) {
        header.wordbuf = buffer.data() + offset;
        header.read();
        if (header.framewords < config.headerwords) break;
        offsets.push_back(offset);
        offset += static_cast<size_t>(header.framewords);
    }
    return offsets;
}

void patchheader(std::vector<uint16_t>& words, size_t offset, const decodeheader& config,
                 const std::function<void(frameheader&)>& change) {
    const size_t H = static_cast<size_t>(config.headerwords);
    std::vector<uint16_t> buffer(words.begin() + static_cast<std::ptrdiff_t>(offset),
                                 words.begin() + static_cast<std::ptrdiff_t>(offset + H));
    buffer.push_back(0);
    decodeheader reader = config;
    reader.wordbuf = buffer.data();
    reader.read();
    encodeheader writer;
    static_cast<frameheader&>(writer) = reader;
    change(writer);
    writer.lengthok = 0; // no injected errors
    writer.wordbuf = buffer.data();
    writer.errbuf = nullptr;
    writer.pack();
    std::copy_n(buffer.begin(), H, words.begin() + static_cast<std::ptrdiff_t>(offset));
}

int flipbits(std::vector<uint16_t>& words, double rate, std::mt19937& random) {
    std::bernoulli_distribution hit(rate);
    int flipped = 0;
    for (uint16_t& w : words)
        for (int bit = 0; bit < 16; ++bit)
            if (hit(random)) {
                w = static_cast<uint16_t>(w ^ (1u << bit));
                flipped += 1;
            }
    return flipped;
}

void burst(std::vector<uint16_t>& words, size_t first, size_t count, burstfill fill, std::mt19937& random) {
    for (size_t bit = first; bit < first + count && bit / 16 < words.size(); ++bit) {
        const auto mask = static_cast<uint16_t>(0x8000u >> (bit % 16));
        uint16_t& w = words[bit / 16];
        const bool one = fill == burstfill::ones || (fill == burstfill::random && (random() & 1) != 0);
        w = static_cast<uint16_t>(one ? w | mask : w & ~mask);
    }
}

void hostiletest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("tonvex_hostile_" + std::string(info->test_suite_name()) + "_" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
}

void hostiletest::TearDown() {
    fs::remove_all(dir);
}

runoutcome hostiletest::decode(const std::vector<uint8_t>& bytes, const std::string& settings) {
    const fs::path input = dir / "in.ztb", output = dir / "out.wav";
    writefile(input, bytes);
    fs::remove(output);
    driverrun run(settings);
    run.doc.bitstreampath = input.string();
    run.doc.wavpath = output.string();
    run.doc.decodeZAT();

    runoutcome outcome{run.doc.stats.completed, run.messages, run.doc.stats.frameshandled, ""};
    if (outcome.frames > run.framebound(bytes.size()))
        outcome.failure =
            std::to_string(outcome.frames) + " frames from " + std::to_string(bytes.size()) + " bytes";
    else
        outcome.failure = judgewav(output, run.doc, !run.messages.empty());
    return outcome;
}

runoutcome hostiletest::scale(const std::vector<uint8_t>& bytes, const std::string& settings, double kbps) {
    const fs::path input = dir / "in.ztb", output = dir / "out_s.ztb";
    writefile(input, bytes);
    fs::remove(output);
    runoutcome outcome;
    {
        driverrun run(settings);
        run.doc.bitstreampath = input.string();
        run.doc.scaledpath = output.string();
        run.doc.scaledbitrate = kbps;
        run.doc.outputbitratemode = 1;
        run.doc.scaleZAT();
        outcome = {run.doc.stats.completed, run.messages, run.doc.stats.frameshandled, ""};
        if (outcome.frames > run.framebound(bytes.size())) {
            outcome.failure =
                std::to_string(outcome.frames) + " frames from " + std::to_string(bytes.size()) + " bytes";
            return outcome;
        }
        if (!outcome.completed) {
            if (run.messages.empty()) outcome.failure = "scaling stopped without a message";
            return outcome;
        }
        outcome.failure =
            judgescaled(towords(readfile(output)), headerfor(settings), run.doc.stats.frameswritten);
        if (!outcome.failure.empty() || run.doc.stats.frameswritten == 0) return outcome;
    }
    // What the scaler writes, the decoder must take without a failure.
    const runoutcome decoded = decode(readfile(output), settings);
    if (!decoded.failure.empty() || !decoded.completed)
        outcome.failure = "scaled stream does not decode: " + decoded.failure +
                          (decoded.messages.empty() ? "" : decoded.messages.front());
    return outcome;
}
