#include "engine/configprobe.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include "base/message.h"
#include "codec/format/frameheader.h"
#include "engine/io/wordio.h"
#include "engine/settings.h"
#include "engine/streamjob.h"

namespace {

struct searched {
    const char* name;
    int32_t lowest, highest;
};

// The settings that decide how a stream is read, in the order the groups below use.
constexpr std::array<searched, 21> table = {{
    {"jointcoding", 0, 1},  {"weighton", 0, 1},       {"weightmode", 0, 2},  {"crcon", 0, 1},
    {"crclevel", 0, 3},     {"scanmode", 0, 2},       {"runmode", 0, 2},     {"runparam", 1, 8},
    {"refinefirst", 0, 1},  {"chaninterleave", 0, 1}, {"weightshare", 0, 1}, {"wstepmode", 0, 1},
    {"wsignmode", 0, 2},    {"wpredmode", 0, 2},      {"wparamshort", 0, 8}, {"wparamlong", 0, 8},
    {"weightbits", 1, 8},   {"weightrefbits", 1, 8},  {"scfresmode", 0, 2},  {"shortbandtype", 0, 1},
    {"longbandtype", 0, 1},
}};

using configuration = std::array<int32_t, table.size()>;

// Settings searched together: the header layout with the CRC words, then runmode with
// its parameter; every other setting alone.
std::vector<std::vector<size_t>> groups() {
    std::vector<std::vector<size_t>> result = {{0, 1, 2, 3}, {4}, {5}, {6, 7}};
    for (size_t i = 8; i < table.size(); i++) result.push_back({i});
    return result;
}

configuration defaults() {
    const streamjob doc;
    configuration values{};
    for (size_t i = 0; i < table.size(); i++)
        values[i] = static_cast<int32_t>(getsetting(doc, table[i].name).value_or(0));
    return values;
}

// The first `frames` frames, found by sync word and length alone (the header layout is
// what is sought), starting at the first sync word; without one, the file's start.
std::vector<char> streamprefix(std::FILE* file, int32_t frames) {
    std::vector<char> bytes(static_cast<size_t>(frames + 8) * maxframewords * 2);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    const auto word = [&bytes](size_t index) {
        return static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                     static_cast<unsigned char>(bytes[2 * index + 1]) << 8);
    };
    const size_t words = bytes.size() / 2;
    size_t start = 0;
    while (start < words && word(start) != syncword) start++;
    if (start == words) return bytes;
    size_t end = start;
    for (int32_t n = 0; n < frames && end + 1 < words && word(end) == syncword; n++) {
        const size_t length = (word(end + 1) >> 3) & 0x1FF;
        if (length < 8 || end + length > words) break;
        end += length;
    }
    if (end == start) return bytes;
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(2 * end), bytes.end());
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(2 * start));
    return bytes;
}

// A private directory for the probe's input copy and output, removed with the object.
class scratch {
  public:
    scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tonvex-probe-XXXXXX").string();
        if (mkdtemp(pattern.data())) root = pattern;
    }
    ~scratch() {
        std::error_code ignored;
        if (!root.empty()) std::filesystem::remove_all(root, ignored);
    }
    scratch(const scratch&) = delete;
    scratch& operator=(const scratch&) = delete;
    bool ok() const { return !root.empty(); }
    std::string operator/(const char* name) const { return (root / name).string(); }

  private:
    std::filesystem::path root;
};

int64_t clippedsamples(const std::string& wavpath) {
    filehandle file = openfile(wavpath, "rb");
    if (!file || std::fseek(file.get(), 44, SEEK_SET) != 0) return 0;
    int64_t count = 0;
    int16_t samples[4096];
    size_t n = 0;
    while ((n = std::fread(samples, sizeof samples[0], std::size(samples), file.get())) > 0)
        count += std::count_if(samples, samples + n, [](int16_t v) { return v == 32767 || v == -32768; });
    return count;
}

class prober {
  public:
    prober(const scratch& dir) : input(dir / "probe.ztb"), output(dir / "probe.wav") {}

    probescore score(const configuration& values) {
        const auto known = seen.find(values);
        if (known != seen.end()) return known->second;
        // A fresh job each time: every candidate draws from the same random start, and
        // its messages are the probe's to ignore.
        streamjob doc;
        doc.hooks.messages = messagesink([](const std::string&) {});
        doc.dither = 0;
        for (size_t i = 0; i < table.size(); i++) setsetting(doc, table[i].name, values[i]);
        doc.bitstreampath = input;
        doc.wavpath = output;
        probescore result;
        doc.hooks.event = [&result](const driveevent& event) {
            if (event.kind == driveevent::passcrcfailed)
                result.passloss += 32 - std::min(event.crcerrorpos, 32);
        };
        doc.decodeZAT();
        result.frames = doc.stats.frameshandled;
        result.headers = doc.stats.frameshandled - doc.stats.frameslost;
        result.decoded = doc.stats.frameshandled - doc.stats.frameslost - doc.stats.framesconcealed;
        result.failed = doc.stats.passcrcfailures + doc.stats.framesconcealed + doc.stats.frameslost;
        result.matched = doc.stats.crcintact;
        result.clipped = clippedsamples(output);
        seen.emplace(values, result);
        return result;
    }

    // Every combination of the group's settings, the others as in values.
    static std::vector<configuration> combinations(const configuration& values,
                                                   const std::vector<size_t>& group) {
        std::vector<configuration> result;
        configuration trial = values;
        for (size_t i : group) trial[i] = table[i].lowest;
        for (;;) {
            result.push_back(trial);
            size_t k = 0;
            while (k < group.size() && trial[group[k]] == table[group[k]].highest) {
                trial[group[k]] = table[group[k]].lowest;
                k++;
            }
            if (k == group.size()) return result;
            trial[group[k]] += 1;
        }
    }

    // Sweeps over the groups from `first` on, each time keeping the best combination of a
    // group with the others held, until a sweep changes nothing.
    void descend(configuration& values, size_t first) {
        const std::vector<std::vector<size_t>> order = groups();
        for (int sweep = 0; sweep < 4; sweep++) {
            const configuration before = values;
            for (size_t g = first; g < order.size(); g++)
                for (const configuration& trial : combinations(values, order[g]))
                    if (score(trial).better(score(values))) values = trial;
            if (values == before) return;
        }
    }

    std::map<configuration, probescore> seen;

  private:
    std::string input, output;
};

} // namespace

bool probescore::better(const probescore& other) const {
    if (headers != other.headers) return headers > other.headers;
    if (matched - failed != other.matched - other.failed)
        return matched - failed > other.matched - other.failed;
    if (matched != other.matched) return matched > other.matched;
    if (passloss != other.passloss) return passloss < other.passloss;
    return clipped < other.clipped;
}

proberesult probeconfiguration(const std::string& path, int32_t frames) {
    proberesult result;
    if (!endsinztb(path)) {
        result.error = "invalid bitstream file format";
        return result;
    }
    filehandle file = openfile(path, "rb");
    if (!file) {
        result.error = "cannot find bitstream file";
        return result;
    }
    const std::vector<char> prefix = streamprefix(file.get(), frames);
    const scratch dir;
    if (!dir.ok()) {
        result.error = "cannot create a temporary directory for the probe";
        return result;
    }
    {
        filehandle copy = openfile(dir / "probe.ztb", "wb");
        if (!copy || std::fwrite(prefix.data(), 1, prefix.size(), copy.get()) != prefix.size() ||
            !closefile(copy)) {
            result.error = "cannot write the probe's copy of the stream";
            return result;
        }
    }

    prober search(dir);
    // Every header layout first, with the other settings at their defaults: a layout whose
    // header CRCs fail reads no frame. Each layout that reads as many headers as the best
    // one starts a descent over the other settings, the best-scoring first, until one ends
    // with every frame decoded and its CRC words matching; a last descent that may change
    // the layout again settles the result.
    const configuration standard = defaults();
    std::vector<std::pair<probescore, configuration>> starts;
    starts.emplace_back(search.score(standard), standard); // first among equals
    for (const configuration& layout : prober::combinations(standard, groups().front()))
        if (layout != standard) starts.emplace_back(search.score(layout), layout);
    int64_t mostheaders = 0;
    for (const auto& start : starts) mostheaders = std::max(mostheaders, start.first.headers);
    std::erase_if(starts, [mostheaders](const auto& start) { return start.first.headers < mostheaders; });
    std::stable_sort(starts.begin(), starts.end(),
                     [](const auto& a, const auto& b) { return a.first.better(b.first); });
    configuration values = starts.front().second;
    for (const auto& start : starts) {
        configuration trial = start.second;
        search.descend(trial, 1);
        if (search.score(trial).better(search.score(values))) values = trial;
        const probescore s = search.score(values);
        if (s.matched > 0 && s.failed == 0) break;
    }
    search.descend(values, 0);

    result.best = search.score(values);
    result.evaluated = static_cast<int32_t>(search.seen.size());
    for (const auto& [candidate, s] : search.seen)
        if (!(s == result.best) && (!result.runnerup || s.better(*result.runnerup))) result.runnerup = s;
    for (size_t i = 0; i < table.size(); i++) result.settings.emplace_back(table[i].name, values[i]);
    if (result.best.decoded == 0) result.error = "no configuration decodes a frame of this stream";
    return result;
}

std::string setarguments(const proberesult& result) {
    const configuration standard = defaults();
    std::string text;
    for (size_t i = 0; i < result.settings.size() && i < table.size(); i++)
        if (result.settings[i].second != standard[i])
            text += (text.empty() ? "" : " ") + std::string("--set ") + result.settings[i].first + "=" +
                    std::to_string(result.settings[i].second);
    return text;
}
