// Writes the seed corpora of the fuzzers from the conformance streams (MANIFEST.tsv of a
// vector folder): whole files with their settings for decode and scale, runs of four
// frames for the frame fuzzers (joint-coded streams for jointframe, each channel's slice
// of separately coded ones for channelframe).
//   fuzz_makeseeds VECTORDIR OUTDIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/CTonvexDoc.h"
#include "engine/settings.h"
#include "fuzz/driverfuzzing.h"
#include "fuzz/framefuzzing.h"
#include "fuzz/fuzzsupport.h"
#include "fuzz/outcomes.h"

namespace fs = std::filesystem;

namespace {

using settingpairs = std::vector<std::pair<std::string, double>>;

settingpairs parsesettings(const std::string& text) {
    settingpairs pairs;
    std::istringstream in(text);
    for (std::string pair; in >> pair;) {
        const size_t eq = pair.find('=');
        if (eq != std::string::npos) pairs.emplace_back(pair.substr(0, eq), std::stod(pair.substr(eq + 1)));
    }
    return pairs;
}

void writeseed(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::create_directories(dir);
    writefilebytes((dir / name).string(), bytes);
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// The frames of a stream as the frame fuzzers take them: for channel c of a separately
// coded stream its slice, for a joint-coded one the whole payload.
std::vector<fuzzframe> streamframes(const std::vector<uint16_t>& words, decodeheader header, int channel) {
    std::vector<fuzzframe> frames;
    std::vector<uint16_t> buffer(words);
    buffer.push_back(0);
    const size_t H = static_cast<size_t>(header.headerwords);
    for (size_t at = 0; at + H <= words.size();) {
        header.wordbuf = buffer.data() + at;
        header.read();
        if (header.framewords < static_cast<int16_t>(H) ||
            at + static_cast<size_t>(header.framewords) > words.size())
            break;
        const bool joint = header.jointcoding != 0;
        const int slice = (header.framewords - static_cast<int>(H)) / (joint ? 1 : header.channels);
        const int c = joint ? 0 : std::min(channel, header.channels - 1);
        fuzzframe frame;
        frame.blockmode = header.blockmode;
        frame.codedbands = header.codedbands;
        frame.bitplanes = header.bitplanes[c];
        frame.crcwords = header.crcwords[c];
        for (int ch = 0; ch < 2; ++ch)
            std::copy_n(header.groupflags[joint ? ch : c], 16, frame.groupflags[ch]);
        frame.payloadwords = static_cast<int16_t>(slice);
        frame.decodewords = frame.payloadwords;
        const auto first = buffer.begin() + static_cast<std::ptrdiff_t>(at + H) + c * slice;
        frame.payload.assign(first, first + slice);
        frame.payload.push_back(0);
        frames.push_back(frame);
        at += static_cast<size_t>(header.framewords);
    }
    return frames;
}

void frameseeds(const fs::path& out, const std::string& name, const settingpairs& settings,
                const std::vector<uint16_t>& words, CTonvexDoc& doc) {
    const decodeheader config = headerconfig(doc);
    const bool joint = doc.jointcoding != 0;
    for (int channel = 0; channel < (joint ? 1 : 2); ++channel) {
        const std::vector<fuzzframe> frames = streamframes(words, config, channel);
        for (size_t start = 0; start + 4 <= frames.size(); start += 6) {
            std::vector<uint8_t> seed = encodesettings(settings);
            decodeheader first = config;
            std::vector<uint16_t> buffer(words.begin(), words.begin() + config.headerwords + 1);
            first.wordbuf = buffer.data();
            first.read();
            seed.push_back(static_cast<uint8_t>(first.srindex));
            seed.push_back(static_cast<uint8_t>(first.channels - 1));
            seed.push_back(3); // four frames
            for (size_t f = start; f < start + 4; ++f) append(seed, encodeframe(frames[f]));
            writeseed(out / (joint ? "jointframe" : "channelframe"),
                      name + "-" + std::to_string(channel) + "-" + std::to_string(start), seed);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_makeseeds VECTORDIR OUTDIR\n");
        return 2;
    }
    const fs::path vectors = argv[1], out = argv[2];
    std::ifstream manifest(vectors / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        std::vector<std::string> cells;
        std::stringstream row(line);
        for (std::string cell; std::getline(row, cell, '\t');) cells.push_back(cell);
        if (cells.size() < 3 || cells[0].rfind('s', 0) == 0) continue; // scale rows: same streams
        const settingpairs settings = parsesettings(cells.size() > 3 ? cells[3] : "");
        const std::vector<uint8_t> file = readfilebytes((vectors / cells[1]).string());
        std::vector<uint16_t> words(file.size() / 2);
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = static_cast<uint16_t>(file[2 * i] | file[2 * i + 1] << 8);

        std::vector<uint8_t> decode = encodesettings(settings);
        decode.push_back(0); // headers as they are
        append(decode, file);
        writeseed(out / "decode", cells[0], decode);

        std::vector<uint8_t> scale = encodesettings(settings);
        scale.push_back(12); // 48 kbit/s
        scale.push_back(1);  // cut frames to it
        scale.push_back(0);
        append(scale, file);
        writeseed(out / "scale", cells[0], scale);

        CTonvexDoc doc;
        for (const auto& [name, value] : settings) setsetting(doc, name, value);
        frameseeds(out, cells[0], settings, words, doc);
    }
    return 0;
}
