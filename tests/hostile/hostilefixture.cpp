#include "tests/hostile/hostilefixture.h"

#include <sstream>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "app/settings.h"
#include "base/message.h"
#include "base/random.h"
#include "fuzz/driverfuzzing.h"
#include "fuzz/outcomes.h"

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

std::vector<uint16_t> towords(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
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

    CTonvexDoc doc;
    std::vector<std::string> messages;

  private:
    blankwindow window;
    messagehandler previoushandler;
    framewindow* previouswindow = nullptr;
};

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
    return towords(readfilebytes((fs::path(TONVEX_VECTOR_DIR) / (name + ".ztb")).string()));
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
    return headerconfig(doc);
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
    // Some layouts cannot hold every extreme value; the packer says so and drops them.
    const messagehandler previous = setmessagehandler([](const std::string&) {});
    encodeheader writer;
    static_cast<frameheader&>(writer) = reader;
    change(writer);
    writer.lengthok = 0; // no injected errors
    writer.wordbuf = buffer.data();
    writer.errbuf = nullptr;
    writer.pack();
    setmessagehandler(previous);
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
    writefilebytes(input.string(), bytes);
    fs::remove(output);
    driverrun run(settings);
    run.doc.bitstreampath = input.string();
    run.doc.wavpath = output.string();
    run.doc.decodeZAT();

    runoutcome outcome{run.doc.stats.completed, run.messages, run.doc.stats.frameshandled, ""};
    bool exists = false;
    const std::vector<uint8_t> wav = readfilebytes(output.string(), &exists);
    if (outcome.frames > framebound(run.doc, static_cast<int64_t>(bytes.size())))
        outcome.failure =
            std::to_string(outcome.frames) + " frames from " + std::to_string(bytes.size()) + " bytes";
    else
        outcome.failure = wavfault(wav, exists, run.doc, !run.messages.empty());
    return outcome;
}

runoutcome hostiletest::scale(const std::vector<uint8_t>& bytes, const std::string& settings, double kbps) {
    const fs::path input = dir / "in.ztb", output = dir / "out_s.ztb";
    writefilebytes(input.string(), bytes);
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
        if (outcome.frames > framebound(run.doc, static_cast<int64_t>(bytes.size()))) {
            outcome.failure =
                std::to_string(outcome.frames) + " frames from " + std::to_string(bytes.size()) + " bytes";
            return outcome;
        }
        if (!outcome.completed) {
            if (run.messages.empty()) outcome.failure = "scaling stopped without a message";
            return outcome;
        }
        outcome.failure = scaledfault(towords(readfilebytes(output.string())), headerconfig(run.doc),
                                      run.doc.stats.frameswritten);
        if (!outcome.failure.empty() || run.doc.stats.frameswritten == 0) return outcome;
    }
    // What the scaler writes, the decoder must take without a failure.
    const runoutcome decoded = decode(readfilebytes(output.string()), settings);
    if (!decoded.failure.empty() || !decoded.completed)
        outcome.failure = "scaled stream does not decode: " + decoded.failure +
                          (decoded.messages.empty() ? "" : decoded.messages.front());
    return outcome;
}
