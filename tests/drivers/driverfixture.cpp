#include "driverfixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/random.h"
#include "codec/format/frameheader.h"
#include "tests/scratchdir.h"

void drivertest::SetUp() {
    dir = freshtestdir("tonvex_drivers");
    previouswindow = setmainframewindow(&window);
    previoushandler = setmessagehandler([this](const std::string& text) { messages.push_back(text); });
    random_seed(1);
    doc.directory = dir.string();
}

void drivertest::TearDown() {
    setmainframewindow(previouswindow);
    setmessagehandler(previoushandler);
    std::filesystem::remove_all(dir);
}

std::string drivertest::path(const std::string& name) const {
    return (dir / name).string();
}

void drivertest::usefiles(const std::string& input, const std::string& wav, const std::string& scaled) {
    doc.bitstreamname = input;
    doc.wavname = wav;
    doc.scaledname = scaled;
    doc.updatepaths();
}

bool drivertest::shown(const std::string& message) const {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

std::vector<uint16_t> packframe(const framespec& spec) {
    std::vector<uint16_t> words(static_cast<size_t>(std::max<int16_t>(spec.words, 8)) + 8, spec.fill);
    std::vector<uint16_t> errors(words.size());
    encodeheader writer;
    writer.wordbuf = words.data();
    writer.errbuf = errors.data();
    writer.framelen = 1024;
    writer.srindex = spec.srindex;
    writer.setsizes();
    writer.jointcoding = spec.jointcoding;
    writer.headerwords = headerwords_for(1, 2, spec.jointcoding);
    writer.channels = spec.channels;
    writer.frameindex = spec.index;
    writer.framewords = spec.words;
    writer.blockmode = spec.blockmode;
    writer.codedbands = spec.codedbands;
    writer.bitplanes[0] = writer.bitplanes[1] = spec.bitplanes;
    for (auto& flags : writer.groupflags) flags[0] = 1;
    writer.lengthok = 0;
    writer.pack();
    words.resize(static_cast<size_t>(std::max<int16_t>(spec.words, writer.headerwords)));
    return words;
}

std::vector<uint16_t> packframes(framespec spec, int count) {
    std::vector<uint16_t> stream;
    for (int i = 0; i < count; i++) {
        spec.index = static_cast<int16_t>(i % 16);
        const auto frame = packframe(spec);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

std::vector<uint8_t> readbytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writebytes(const std::string& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint16_t> readwordsfile(const std::string& file) {
    const auto bytes = readbytes(file);
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); i++)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return words;
}

void writewordsfile(const std::string& file, const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    writebytes(file, bytes);
}

std::vector<size_t> frameoffsets(const std::vector<uint16_t>& stream, int16_t H) {
    std::vector<size_t> offsets;
    size_t at = 0;
    while (at + static_cast<size_t>(H) <= stream.size()) {
        offsets.push_back(at);
        const size_t words = (stream[at + 1] >> 3) & 0x1FF; // after the 4-bit index
        if (words < 8) break;
        at += words;
    }
    return offsets;
}

wavfile readwav(const std::string& file) {
    const auto bytes = readbytes(file);
    wavfile wav;
    if (bytes.size() < 44) return wav;
    const auto u32 = [&bytes](size_t at) {
        return static_cast<uint32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16)) |
               (static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    wav.riffsize = u32(4);
    wav.channels = static_cast<uint16_t>(bytes[22] | (bytes[23] << 8));
    wav.rate = u32(24);
    wav.datasize = u32(40);
    for (size_t at = 44; at + 1 < bytes.size(); at += 2)
        wav.samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8))));
    return wav;
}

std::string vectorpath(const std::string& name) {
    return std::string(TONVEX_VECTOR_DIR) + "/" + name;
}
