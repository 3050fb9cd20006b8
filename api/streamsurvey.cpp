// Walks a bitstream with the drivers' frame reader, without decoding: frames, lengths,
// block modes, coded bands and the damage met.
#include <algorithm>

#include "api/streamsurvey.h"
#include "engine/readframe.h"
#include "engine/runreport.h"

namespace {

// Bytes behind the last frame that the frame loop ignores (fewer than 16).
constexpr int64_t minframebytes = 16;

void countgoodframe(tonvex::streaminfo& info, const decodeheader& header) {
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

} // namespace

tonvex::streaminfo surveystream(streamjob& job) {
    tonvex::streaminfo info;
    info.framelength = job.framelen;
    filehandle file =
        job.openinput({}, "invalid bitstream file format", "cannot find bitstream file", info.filebytes);
    if (!file) return info;
    framereader reader(job, file.get(), info.filebytes, false);
    const framereader::search search = reader.syncsearch();
    if (search == framereader::search::failed) return info;
    if (search == framereader::search::notfound) {
        job.showmessage("no frame header found in bitstream file");
        return info;
    }
    info.headerfound = true;
    info.leadingbytes = info.filebytes - reader.bytesleft;
    info.channels = reader.header.channels;
    info.samplerate = ratehz(samplerate_khz(reader.header.srindex));
    // Separate coding splits every payload among the channels, as the drivers test.
    reader.channels = reader.header.channels;
    reader.splittest = job.config.jointcoding == 0;

    job.stats = drivestats{};
    while (reader.bytesleft >= minframebytes) {
        const framereader::frame frame = reader.next(info.frames);
        if (frame == framereader::frame::failed) break;
        info.frames += 1;
        if (frame == framereader::frame::good) countgoodframe(info, reader.header);
    }
    info.walkedtoend = reader.bytesleft < minframebytes;
    info.lostframes = job.stats.frameslost;
    info.damagedheaders = job.stats.damagedheaders;
    std::copy(std::begin(job.stats.resyncs), std::end(job.stats.resyncs), std::begin(info.resyncs));
    info.wordsskipped = job.stats.wordsskipped;
    return info;
}
