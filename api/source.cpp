// The sources of a bitstream, and how a stream job reads them: a file by its path, bytes
// in memory through a read-only memory stream, a callback first read into memory.
#include <cstdio>

#include "api/sourcestream.h"

namespace tonvex {

source source::file(std::string path) {
    source s;
    s.what = fromfile;
    s.name = std::move(path);
    return s;
}

source source::memory(const void* data, std::size_t size) {
    source s;
    s.what = frommemory;
    s.start = data;
    s.length = data ? size : 0;
    return s;
}

source source::callback(readfunction read) {
    source s;
    s.what = fromcallback;
    s.readcall = std::move(read);
    return s;
}

} // namespace tonvex

bool attachsource(streamjob& job, const tonvex::source& in, std::vector<unsigned char>& storage) {
    job.bitstreamstream.reset();
    job.bitstreampath = in.kind() == tonvex::source::fromfile ? in.filename() : "";
    if (in.kind() == tonvex::source::fromfile) return true;
    const void* data = in.data();
    std::size_t size = in.size();
    if (in.kind() == tonvex::source::fromcallback) {
        if (!in.read()) {
            job.showmessage("cannot read bitstream source");
            return false;
        }
        unsigned char chunk[64 * 1024];
        for (;;) {
            const std::ptrdiff_t got = in.read()(chunk, sizeof chunk);
            if (got == 0) break;
            if (got < 0 || static_cast<std::size_t>(got) > sizeof chunk) {
                job.showmessage("cannot read bitstream source");
                return false;
            }
            storage.insert(storage.end(), chunk, chunk + got);
        }
        data = storage.data();
        size = storage.size();
    }
    // Read-only: the stream never writes into the caller's bytes. An empty source still
    // needs a buffer to point at.
    static constexpr unsigned char nothing[1] = {};
    job.bitstreamstream.reset(fmemopen(const_cast<void*>(data ? data : nothing), size, "rb"));
    if (!job.bitstreamstream) {
        job.showmessage("cannot read bitstream source");
        return false;
    }
    return true;
}
