#include "engine/streamjob.h"

#include <new>
#include <utility>

streamjob::streamjob() {
    // The numeric settings hold their initial values from their declarations; the sample
    // buffers are sized from framelen as it stands now.
    allocNFRAMEarrays();
}

void streamjob::allocNFRAMEarrays() {
    const size_t n = framelen > 0 ? static_cast<size_t>(framelen) : 0;
    pcm_buf.reset(new (std::nothrow) double[2 * n]());
    if (!pcm_buf) showmessage("allocNFRAMEarrays(): pcm_buf not allocated");
    pcmfilebuf.reset(new (std::nothrow) int16_t[4 * n]());
    if (!pcmfilebuf) showmessage("allocNFRAMEarrays(): pcmfilebuf not allocated");
}

filehandle streamjob::openinput(const char* badname, const char* notfound, int64_t& length) {
    if (!bitstreamstream) return openbitstream(hooks.messages, bitstreampath, badname, notfound, length);
    length = filesize(bitstreamstream.get());
    if (length < 0) {
        showmessage(notfound);
        bitstreamstream.reset();
        return nullptr;
    }
    return std::move(bitstreamstream);
}
