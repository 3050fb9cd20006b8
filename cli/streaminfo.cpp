#include "cli/streaminfo.h"

#include <cstdio>

#include "cli/streamtime.h"
#include "codec/format/frameheader.h"

namespace {

double wordskbps(double words, double fs_khz, int framelen) {
    return words * 16.0 * fs_khz / framelen;
}

} // namespace

std::string streaminfotext(const tonvex::streaminfo& info, const std::string& path) {
    const int framelen = info.framelength;
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
    const double fs_khz = info.samplerate / 1000.0;
    add("sample rate", number("%d Hz", info.samplerate));
    add("channels", number("%d", info.channels));
    add("frames", number("%lld (%lld good, %lld lost)%s", static_cast<long long>(info.frames),
                         static_cast<long long>(info.goodframes), static_cast<long long>(info.lostframes),
                         info.walkedtoend ? "" : ", walk stopped early"));
    add("duration", number("%.3f s", streamseconds(info.frames, fs_khz, framelen)));
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

nlohmann::ordered_json streaminfojson(const tonvex::streaminfo& info, const std::string& path) {
    const int framelen = info.framelength;
    nlohmann::ordered_json json = {
        {"file", path}, {"file_bytes", info.filebytes}, {"header_found", info.headerfound}};
    if (!info.headerfound) return json;
    const double fs_khz = info.samplerate / 1000.0;
    json["sample_rate"] = info.samplerate;
    json["channels"] = info.channels;
    json["frames"] = info.frames;
    json["frames_good"] = info.goodframes;
    json["frames_lost"] = info.lostframes;
    json["walked_to_end"] = info.walkedtoend;
    json["duration_seconds"] = streamseconds(info.frames, fs_khz, framelen);
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
