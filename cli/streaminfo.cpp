#include "cli/streaminfo.h"

#include <algorithm>
#include <cstdio>

#include "app/CTonvexDoc.h"
#include "app/messagebox.h"
#include "cli/streamtime.h"
#include "engine/io/wordio.h"
#include "engine/readframe.h"
#include "engine/runreport.h"

namespace {

// Bytes behind the last frame that the frame loop ignores (fewer than 16).
constexpr int64_t minframebytes = 16;

void countgoodframe(streaminfo& info, const decodeheader& header) {
    const int words = header.framewords;
    const int bands = header.codedbands;
    if (info.goodframes == 0) {
        info.minwords = info.maxwords = words;
        info.mincodedbands = info.maxcodedbands = bands;
    }
    info.goodframes += 1;
    info.totalwords += words;
    info.minwords = std::min(info.minwords, words);
    info.maxwords = std::max(info.maxwords, words);
    info.mincodedbands = std::min(info.mincodedbands, bands);
    info.maxcodedbands = std::max(info.maxcodedbands, bands);
    if (header.blockmode >= 0 && header.blockmode <= 3) info.blockmodes[header.blockmode] += 1;
}

double wordskbps(double words, double fs_khz, int framelen) {
    return words * 16.0 * fs_khz / framelen;
}

} // namespace

streaminfo walkstream(CTonvexDoc& doc) {
    streaminfo info;
    if (!endsinztb(doc.bitstreampath)) {
        showmessage("invalid bitstream file format");
        return info;
    }
    filehandle file = openfile(doc.bitstreampath, "rb");
    if (!file) {
        showmessage("cannot find bitstream file");
        return info;
    }
    info.filebytes = filesize(file.get());
    if (info.filebytes < 0) {
        showmessage("cannot find bitstream file");
        return info;
    }

    framereader reader(doc, file.get(), info.filebytes, false);
    const framereader::search search = reader.syncsearch();
    if (search == framereader::search::failed) return info;
    if (search == framereader::search::notfound) {
        showmessage("no frame header found in bitstream file");
        return info;
    }
    info.headerfound = true;
    info.leadingbytes = info.filebytes - reader.bytesleft;
    info.channels = reader.header.channels;
    info.srindex = reader.header.srindex;
    // Separate coding splits every payload among the channels, as the drivers test.
    reader.channels = reader.header.channels;
    reader.splittest = doc.config.jointcoding == 0;

    doc.stats = drivestats{};
    while (reader.bytesleft >= minframebytes) {
        const framereader::frame frame = reader.next(info.frames);
        if (frame == framereader::frame::failed) break;
        info.frames += 1;
        if (frame == framereader::frame::good) countgoodframe(info, reader.header);
    }
    info.walkedtoend = reader.bytesleft < minframebytes;
    info.lostframes = doc.stats.frameslost;
    info.damagedheaders = doc.stats.damagedheaders;
    std::copy(std::begin(doc.stats.resyncs), std::end(doc.stats.resyncs), std::begin(info.resyncs));
    info.wordsskipped = doc.stats.wordsskipped;
    return info;
}

std::string streaminfotext(const streaminfo& info, const std::string& path, int framelen) {
    std::string text;
    char line[200];
    const auto add = [&](const char* label, const std::string& value) {
        std::snprintf(line, sizeof line, "%-16s %s\n", label, value.c_str());
        text += line;
    };
    const auto number = [&](const char* format, auto... values) {
        char buffer[120];
        std::snprintf(buffer, sizeof buffer, format, values...);
        return std::string(buffer);
    };
    add("file", path + number(" (%lld bytes)", static_cast<long long>(info.filebytes)));
    const double fs_khz = samplerate_khz(info.srindex);
    add("sample rate", number("%d Hz", ratehz(fs_khz)));
    add("channels", number("%d", info.channels));
    add("frames", number("%lld (%lld good, %lld lost)%s", static_cast<long long>(info.frames),
                         static_cast<long long>(info.goodframes), static_cast<long long>(info.lostframes),
                         info.walkedtoend ? "" : ", walk stopped early"));
    add("duration", number("%.3f s", streamseconds(info.frames, samplerate_khz(info.srindex), framelen)));
    if (info.goodframes > 0) {
        const double meanwords = static_cast<double>(info.totalwords) / static_cast<double>(info.goodframes);
        add("frame words", number("min %d, mean %.1f, max %d", info.minwords, meanwords, info.maxwords));
        add("bitrate",
            number("min %.2f, mean %.2f, max %.2f kbit/s", wordskbps(info.minwords, fs_khz, framelen),
                   wordskbps(meanwords, fs_khz, framelen), wordskbps(info.maxwords, fs_khz, framelen)));
        std::string modes;
        for (int mode = 0; mode < 4; ++mode)
            modes += number("%s%s %lld", mode ? ", " : "", blockmodename(mode),
                            static_cast<long long>(info.blockmodes[mode]));
        add("block modes", modes);
        add("coded bands", number("%d to %d", info.mincodedbands, info.maxcodedbands));
    }
    add("damaged headers", number("%lld", static_cast<long long>(info.damagedheaders)));
    add("resyncs",
        number("%lld by damaged length, %lld by last good length, %lld by sliding, %lld none found",
               static_cast<long long>(info.resyncs[1]), static_cast<long long>(info.resyncs[2]),
               static_cast<long long>(info.resyncs[3]), static_cast<long long>(info.resyncs[0])));
    add("words skipped", number("%lld", static_cast<long long>(info.wordsskipped)));
    add("leading bytes",
        number("%lld skipped before the first header", static_cast<long long>(info.leadingbytes)));
    return text;
}

nlohmann::ordered_json streaminfojson(const streaminfo& info, const std::string& path, int framelen) {
    nlohmann::ordered_json json = {
        {"file", path}, {"file_bytes", info.filebytes}, {"header_found", info.headerfound}};
    if (!info.headerfound) return json;
    const double fs_khz = samplerate_khz(info.srindex);
    json["sample_rate"] = ratehz(fs_khz);
    json["channels"] = info.channels;
    json["frames"] = info.frames;
    json["frames_good"] = info.goodframes;
    json["frames_lost"] = info.lostframes;
    json["walked_to_end"] = info.walkedtoend;
    json["duration_seconds"] = streamseconds(info.frames, samplerate_khz(info.srindex), framelen);
    if (info.goodframes > 0) {
        const double meanwords = static_cast<double>(info.totalwords) / static_cast<double>(info.goodframes);
        json["frame_words"] = {{"min", info.minwords}, {"mean", meanwords}, {"max", info.maxwords}};
        json["bitrate_kbps"] = {{"min", wordskbps(info.minwords, fs_khz, framelen)},
                                {"mean", wordskbps(meanwords, fs_khz, framelen)},
                                {"max", wordskbps(info.maxwords, fs_khz, framelen)}};
        nlohmann::ordered_json modes = nlohmann::ordered_json::object();
        for (int mode = 0; mode < 4; ++mode) modes[blockmodename(mode)] = info.blockmodes[mode];
        json["block_modes"] = modes;
        json["coded_bands"] = {{"min", info.mincodedbands}, {"max", info.maxcodedbands}};
    }
    json["damaged_headers"] = info.damagedheaders;
    json["resyncs"] = {{"damaged_length", info.resyncs[1]},
                       {"last_good_length", info.resyncs[2]},
                       {"sliding", info.resyncs[3]},
                       {"none_found", info.resyncs[0]}};
    json["words_skipped"] = info.wordsskipped;
    json["leading_bytes_skipped"] = info.leadingbytes;
    return json;
}
