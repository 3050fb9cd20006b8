#include "cli/sweepcell.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "api/streamsurvey.h"
#include "app/CTonvexDoc.h"
#include "cli/commandoptions.h"
#include "cli/documentsettings.h"
#include "cli/errormodeloptions.h"
#include "cli/measurereport.h"
#include "cli/messagerecorder.h"
#include "cli/terminalwindow.h"
#include "measure/audiofile.h"
#include "measure/quality.h"

extern char** environ;

namespace {

bool isstream(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".ztb") == 0;
}

std::string number(const char* format, double v) {
    char text[48];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// Runs decode or scale on a fresh document as the command line would; false with the
// messages in error.
bool operate(const commandoptions& o, const std::string& in, const std::string& out, bool decode,
             CTonvexDoc& doc, std::string& error) {
    applysettings(doc, o);
    if (decode) applyerrormodel(doc, o.errormodel);
    doc.bitstreampath = in;
    (decode ? doc.wavpath : doc.scaledpath) = out;
    terminalwindow window(doc, false, false);
    messagerecorder recorder;
    doc.hooks.messages = recorder.sink();
    decode ? doc.decodeZAT() : doc.scaleZAT();
    if (doc.stats.completed && recorder.messages().empty()) return true;
    error = (decode ? "decoding " : "scaling ") + in + " failed";
    for (const std::string& m : recorder.messages()) error += ": " + m;
    return false;
}

// The program itself encodes audio inputs, so that the encoder sees the same settings
// as tonvex encode would give it.
bool encode(const std::string& in, const std::string& out, const std::string& kbps,
            const std::vector<std::string>& settings, std::string& error) {
    std::vector<std::string> args = {"tonvex", "encode", in, "-o", out, "--quiet"};
    if (!kbps.empty()) args.insert(args.end(), {"--bitrate", kbps});
    for (const std::string& s : settings) args.insert(args.end(), {"--set", s});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "encoding " + in + " failed";
        return false;
    }
    return true;
}

// The mean bitrate of a stream's good frames, and what one word a frame adds to it.
std::pair<double, double> streamkbps(const std::string& path, const std::vector<std::string>& settings) {
    CTonvexDoc doc;
    commandoptions o;
    o.settings = settings;
    applysettings(doc, o);
    doc.bitstreampath = path;
    messagerecorder recorder;
    doc.hooks.messages = recorder.sink();
    const tonvex::streaminfo info = surveystream(doc);
    const double word = 16.0 * doc.fs_khz / doc.framelen;
    if (info.goodframes == 0) return {0.0, word};
    return {static_cast<double>(info.totalwords) * word / static_cast<double>(info.goodframes), word};
}

void putmeasures(sweeprow& row, const std::string& suffix, const qualitymeasures& m) {
    auto put = [&](const std::string& name, double v) {
        row.values[sweepcolumn(name + suffix)] = std::isnan(v)   ? ""
                                                 : std::isinf(v) ? (v > 0 ? "inf" : "-inf")
                                                                 : number("%.4f", v);
    };
    const std::pair<const char*, double> measures[] = {{"snr", m.snr},        {"segsnr", m.segsnr},
                                                       {"fwsnr", m.fwsnrseg}, {"lsd", m.lsd},
                                                       {"peak", m.peak},      {"identical", m.identical}};
    for (const auto& [name, value] : measures) put(name, value);
}

} // namespace

sweepworkspace::sweepworkspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tonvex-sweep-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a work folder in the temporary directory");
    folder = pattern;
}

sweepworkspace::~sweepworkspace() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

bool preparestreams(const sweepgrid& grid, const std::vector<sweepcell>& cells, const std::string& workdir,
                    preparedstreams& out, std::string& error) {
    double highest = 0.0;
    for (const std::string& b : grid.bitrates) highest = std::max(highest, std::strtod(b.c_str(), nullptr));
    for (size_t input = 0; input < grid.inputs.size(); ++input) {
        const std::string& path = grid.inputs[input];
        const bool needed =
            std::any_of(cells.begin(), cells.end(), [input](const sweepcell& c) { return c.input == input; });
        if (!needed) continue;
        const std::string stem = workdir + "/in" + std::to_string(input);
        std::string source = path;
        if (!isstream(path)) {
            source = stem + ".ztb";
            if (!encode(path, source, grid.bitrates.empty() ? "" : number("%g", highest), grid.settings,
                        error))
                return false;
        }
        const auto [own, word] = streamkbps(source, grid.settings);
        if (own <= 0.0) {
            error = path + " holds no frame";
            return false;
        }
        for (const sweepcell& c : cells) {
            if (c.input != input || out.count({input, c.bitrate})) continue;
            preparedstream p;
            p.original = isstream(path) ? "" : path;
            p.stream = source;
            p.kbps = c.bitrate.empty() ? number("%.2f", own) : c.bitrate;
            const std::string name = stem + "_" + std::to_string(out.size());
            commandoptions o;
            o.settings = grid.settings;
            if (!c.bitrate.empty()) {
                // A rate asked for is rounded down to whole words a frame by the encoder.
                if (std::strtod(c.bitrate.c_str(), nullptr) > own + word + 1e-9)
                    throw usageerror("--bitrate " + c.bitrate + " is above the " + number("%.2f", own) +
                                     " kbit/s of " + path);
                o.bitrate = c.bitrate;
                CTonvexDoc doc;
                p.stream = name + ".ztb";
                if (!operate(o, source, p.stream, false, doc, error)) return false;
            }
            out[{input, c.bitrate}] = p;
        }
    }
    return true;
}

std::vector<std::string> conditionvalues(const sweepgrid& grid, const sweepcell& cell,
                                         const std::string& kbps) {
    return {std::to_string(cell.index),
            grid.inputs[cell.input],
            kbps,
            cell.model,
            cell.ber,
            cell.gamma,
            cell.fer,
            cell.pattern,
            cell.conceal,
            std::to_string(cell.seed)};
}

bool runcell(const sweepgrid& grid, const sweepcell& cell, const preparedstream& stream,
             const std::string& workdir, sweeprow& row, std::string& error) {
    // The grid's checks have given each warning once; the cells run quietly.
    commandoptions o = celloptions(grid, cell);
    o.quiet = true;
    // The clean decode runs from the same seed with the same model at rate 0: the model
    // draws from the random source as it does with errors, so that noise filling and
    // concealment draw the same values until the first error strikes.
    commandoptions clean = o;
    if (clean.errormodel.ber) clean.errormodel.ber = "0";
    if (clean.errormodel.fer) clean.errormodel.fer = "0";
    if (clean.errormodel.pattern) clean.errormodel = {};
    const std::string name = workdir + "/cell" + std::to_string(cell.index);
    CTonvexDoc cleandoc, doc;
    cleandoc.random.seed(cell.seed);
    doc.random.seed(cell.seed);
    bool ok = operate(clean, stream.stream, name + "-clean.wav", true, cleandoc, error);
    ok = ok && operate(o, stream.stream, name + ".wav", true, doc, error);
    audiosignal test, reference, original;
    ok = ok && readaudio(name + ".wav", test, error) && readaudio(name + "-clean.wav", reference, error) &&
         (stream.original.empty() || readaudio(stream.original, original, error));
    std::remove((name + ".wav").c_str());
    std::remove((name + "-clean.wav").c_str());
    if (!ok) return false;

    row.cell = cell.index;
    row.values.assign(sweepcolumns().size(), "");
    const std::vector<std::string> conditions = conditionvalues(grid, cell, stream.kbps);
    std::copy(conditions.begin(), conditions.end(), row.values.begin());
    const drivestats& s = doc.stats;
    const bool frames = cell.model == "erasure" || doc.errors.framepattern();
    const int64_t flipped = doc.nbiterrors, seen = doc.nbitsseen;
    const std::vector<std::pair<const char*, int64_t>> counts = {
        {"frames", s.frameshandled},
        {"lost", s.frameslost},
        {"concealed", s.framesconcealed},
        {"erased", s.frameserased},
        {"resyncs", s.resyncs[1] + s.resyncs[2] + s.resyncs[3]},
        {"crc_failures", s.passcrcfailures},
        {"bits_flipped", flipped},
        {"bits_seen", seen}};
    for (const auto& [name, value] : counts) row.values[sweepcolumn(name)] = std::to_string(value);
    const double rate = frames
                            ? (s.frameshandled ? static_cast<double>(s.frameserased) / s.frameshandled : 0.0)
                            : (seen ? static_cast<double>(flipped) / static_cast<double>(seen) : 0.0);
    row.values[sweepcolumn("measured_rate")] = number("%.6g", rate);
    if (reference.rate != test.rate || reference.channels.size() != test.channels.size()) {
        error =
            "the decode of cell " + std::to_string(cell.index) + " differs in format from the clean decode";
        return false;
    }
    putmeasures(row, "_clean", comparesignals(reference, test, 0, false).overall);
    if (!stream.original.empty() && original.rate == test.rate &&
        original.channels.size() == test.channels.size())
        putmeasures(row, "_orig", comparesignals(original, test, codecdelay, false).overall);
    return true;
}
