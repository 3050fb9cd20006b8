#include "codec/format/frameheader.h"
#include "encoder/encodefile.h"
#include "engine/runreport.h"
#include "tonvex/tonvex.hpp"

namespace tonvex {

encoderesult encode(const std::string& audio, const std::string& bitstream, const encodeoptions& options) {
    encodersettings settings;
    settings.bitrate = options.bitrate;
    settings.coding.jointcoding = options.jointcoding;
    settings.coding.weightmode = options.weightmode;
    settings.coding.crcon = options.crcon;
    settings.codedbands = options.codedbands;
    settings.blockswitching = options.blockswitching;
    encoderesult result;
    encodestats stats;
    result.ok = encodefile(audio, bitstream, settings, result.error, &stats) == 0;
    result.channels = stats.channels;
    result.samplerate = ratehz(samplerate_khz(stats.srindex));
    result.frames = stats.frames;
    result.bitrate = stats.bitrate;
    return result;
}

} // namespace tonvex
