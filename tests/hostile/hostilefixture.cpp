#include "tests/hostile/hostilefixture.h"

#include "app/CTonvexDoc.h"
#include "base/message.h"
#include "base/random.h"
#include "fuzz/fuzzsupport.h"
#include "fuzz/outcomes.h"
#include "tests/support/files.h"
#include "tests/support/scratchdir.h"
#include "tests/support/settings.h"

namespace fs = std::filesystem;

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
    return readwordsfile((fs::path(TONVEX_VECTOR_DIR) / (name + ".ztb")).string());
}

decodeheader headerfor(const std::string& settings) {
    CTonvexDoc doc;
    applysettings(doc, settings);
    return headerconfig(doc);
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
    encodeheader writer;
    static_cast<frameheader&>(writer) = reader;
    change(writer);
    writer.messages = messagesink([](const std::string&) {});
    writer.lengthok = 0; // no injected errors
    writer.wordbuf = buffer.data();
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
    dir = freshtestdir("tonvex_hostile");
}

void hostiletest::TearDown() {
    fs::remove_all(dir);
}

namespace {

// A fresh document with the settings on the input bytes, the random source at the state a
// fresh program has.
void startrun(CTonvexDoc& doc, const fs::path& input, const std::vector<uint8_t>& bytes,
              const std::string& settings) {
    writebytes(input.string(), bytes);
    applysettings(doc, settings);
    doc.random.seed(1);
    doc.bitstreampath = input.string();
}

// What a finished run did, and a failure when it handed out more frames than the input holds.
runoutcome outcomeof(const CTonvexDoc& doc, const quietrun& quiet, size_t bytes) {
    runoutcome outcome{doc.stats.completed, quiet.messages, quiet.last, ""};
    if (doc.stats.frameshandled > framebound(doc, static_cast<int64_t>(bytes)))
        outcome.failure =
            std::to_string(doc.stats.frameshandled) + " frames from " + std::to_string(bytes) + " bytes";
    return outcome;
}

} // namespace

runoutcome hostiletest::decode(const std::vector<uint8_t>& bytes, const std::string& settings) {
    const fs::path output = dir / "out.wav";
    fs::remove(output);
    quietrun quiet;
    CTonvexDoc doc;
    quiet.attach(doc);
    startrun(doc, dir / "in.ztb", bytes, settings);
    doc.wavpath = output.string();
    doc.decodeZAT();
    runoutcome outcome = outcomeof(doc, quiet, bytes.size());
    if (outcome.failure.empty())
        outcome.failure = wavfault(readbytes(output.string()), fs::exists(output), doc, quiet.messages > 0);
    return outcome;
}

runoutcome hostiletest::scale(const std::vector<uint8_t>& bytes, const std::string& settings, double kbps) {
    const fs::path output = dir / "out_s.ztb";
    fs::remove(output);
    runoutcome outcome;
    {
        quietrun quiet;
        CTonvexDoc doc;
        quiet.attach(doc);
        startrun(doc, dir / "in.ztb", bytes, settings);
        doc.scaledpath = output.string();
        doc.scaledbitrate = kbps;
        doc.outputbitratemode = 1;
        doc.scaleZAT();
        outcome = outcomeof(doc, quiet, bytes.size());
        if (!outcome.failure.empty()) return outcome;
        if (!outcome.completed) {
            if (quiet.messages == 0) outcome.failure = "scaling stopped without a message";
            return outcome;
        }
        outcome.failure =
            scaledfault(readwordsfile(output.string()), headerconfig(doc), doc.stats.frameswritten);
        if (!outcome.failure.empty() || doc.stats.frameswritten == 0) return outcome;
    }
    // What the scaler writes, the decoder must take without a failure.
    const runoutcome decoded = decode(readbytes(output.string()), settings);
    if (!decoded.failure.empty() || !decoded.completed)
        outcome.failure = "scaled stream does not decode: " + decoded.failure + decoded.lastmessage;
    return outcome;
}
