// decodeZAT and scaleZAT on an arbitrary file, under settings chosen by the input: joint
// and separate coding, the three weight modes, CRC on and off, bit errors, scaled decoding.
// Both runs must stay within the frame bound for the file's size. A decode ends in a WAV
// file whose sizes agree with the frames written, or in a message; a scale in a stream of
// intact, consecutively numbered frames that fills its file, or in a message.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "app/CTonvexDoc.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzsupport.h"
#include "fuzz/outcomes.h"

namespace {

// Flag bit 0 repairs the header CRC of every header a walk by lengths meets with its sync
// word, so that mutated headers lead into the decoders; without it the damaged-header paths
// are fuzzed.
void repairheaders(std::vector<uint8_t>& file, CTonvexDoc& doc) {
    decodeheader header = headerconfig(doc);
    const size_t H = static_cast<size_t>(header.headerwords);
    std::vector<uint16_t> words(file.size() / 2 + 1);
    for (size_t i = 0; i + 1 < file.size(); i += 2)
        words[i / 2] = static_cast<uint16_t>(file[i] | file[i + 1] << 8);
    for (size_t at = 0; at + H <= file.size() / 2;) {
        header.wordbuf = words.data() + at;
        header.read();
        if (header.syncfound != 1) {
            at += 1;
            continue;
        }
        const uint16_t crc = header.crc16(words.data() + at + 1, static_cast<uint32_t>(H - 2));
        file[2 * (at + H - 1)] = static_cast<uint8_t>(crc & 0xFF);
        file[2 * (at + H - 1) + 1] = static_cast<uint8_t>(crc >> 8);
        at += std::max<size_t>(static_cast<size_t>(std::max<int16_t>(header.framewords, 0)), H);
    }
}

// This process's files, in memory-backed /dev/shm when there.
std::string fuzzpath(const char* name) {
    static const std::string dir = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        return (base / ("tonvex_fuzz_" + std::to_string(getpid()))).string();
    }();
    std::filesystem::create_directories(dir);
    return dir + "/" + name;
}

std::vector<uint8_t> readfilebytes(const std::string& path, bool& exists) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    exists = file != nullptr;
    if (!file) return bytes;
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

// Runs the driver on the file the rest of the input makes (after the repair flag); returns
// the output file's bytes and whether it exists.
std::vector<uint8_t> rundriver(fuzzrun& run, bool scale, bool& exists) {
    CTonvexDoc& doc = run.doc;
    const bool repair = run.in.flag();
    std::vector<uint8_t> file(run.in.rest(), run.in.rest() + run.in.remaining());
    if (repair) repairheaders(file, doc);
    doc.bitstreampath = fuzzpath("in.ztb");
    const std::string out = fuzzpath(scale ? "out_s.ztb" : "out.wav");
    (scale ? doc.scaledpath : doc.wavpath) = out;
    if (std::FILE* in = std::fopen(doc.bitstreampath.c_str(), "wb")) {
        if (!file.empty()) std::fwrite(file.data(), 1, file.size(), in);
        std::fclose(in);
    }
    std::remove(out.c_str());
    scale ? doc.scaleZAT() : doc.decodeZAT();
    fuzzcheck(doc.stats.frameshandled <= framebound(doc, static_cast<int64_t>(file.size())),
              "more frames than the file's size allows");
    return readfilebytes(out, exists);
}

} // namespace

int fuzz_decode(const uint8_t* data, size_t size) {
    fuzzrun run(data, size);
    bool exists = false;
    const std::vector<uint8_t> wav = rundriver(run, false, exists);
    const std::string fault = wavfault(wav, exists, run.doc, run.quiet.messages > 0);
    fuzzcheck(fault.empty(), fault.c_str());
    return 0;
}

int fuzz_scale(const uint8_t* data, size_t size) {
    fuzzrun run(data, size);
    // Bitrates from below the shortest frame to above the longest.
    run.doc.scaledbitrate = 4.0 * run.in.byte();
    run.doc.outputbitratemode = run.in.choose(2);
    bool exists = false;
    const std::vector<uint8_t> bytes = rundriver(run, true, exists);
    if (!run.doc.stats.completed) {
        fuzzcheck(run.quiet.messages > 0, "scaling stopped without a message");
        return 0;
    }
    fuzzcheck(bytes.size() % 2 == 0, "scaled stream of an odd number of bytes");
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    const std::string fault = scaledfault(words, headerconfig(run.doc), run.doc.stats.frameswritten);
    fuzzcheck(fault.empty(), fault.c_str());
    return 0;
}
