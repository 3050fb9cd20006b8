#include "app/CTonvexDoc.h"

#include <filesystem>
#include <new>

#include "base/message.h"

CTonvexDoc::CTonvexDoc() {
    // The numeric settings hold their initial values from their declarations; the sample
    // buffers are sized from framelen as it stands now.
    allocNFRAMEarrays();
    basename = "test";
    directory = "wav";
    bitstreamname = basename + ".ztb";
    wavname = basename + ".wav";
    scaledname = basename + "_s.ztb";
    updatepaths();
    inforows[0] = {4, "", 0.0, ""};
    inforows[1] = {0, "input bitstream", 0.0, "kbit/s"};
    inforows[2] = {0, "decoded bitrate", 0.0, "kbit/s"};
    inforows[3] = {4, "", 0.0, ""};
    inforows[4] = {1, "bit error rate", 0.0, ""};
}

CTonvexDoc::~CTonvexDoc() {
    pcm_buf.reset();
    pcmfilebuf.reset();
}

void CTonvexDoc::allocNFRAMEarrays() {
    const size_t n = framelen > 0 ? static_cast<size_t>(framelen) : 0;
    pcm_buf.reset(new (std::nothrow) double[2 * n]());
    if (!pcm_buf) showmessage("allocNFRAMEarrays(): pcm_buf not allocated");
    pcmfilebuf.reset(new (std::nothrow) int16_t[4 * n]());
    if (!pcmfilebuf) showmessage("allocNFRAMEarrays(): pcmfilebuf not allocated");
}

void CTonvexDoc::updatepaths() {
    bitstreampath = joinpath(directory, bitstreamname);
    scaledpath = joinpath(directory, scaledname);
    wavpath = joinpath(directory, wavname);
}

std::string joinpath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (directory.back() == separator || directory.back() == '/') return directory + name;
    return directory + separator + name;
}
