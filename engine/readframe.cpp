#include "engine/readframe.h"

#include <algorithm>

#include "engine/io/wordio.h"
#include "engine/streamjob.h"

namespace {
constexpr const char* headerreaderror = "bitstream file header read error";
constexpr const char* incompleteframe = "incomplete input file frame read";
constexpr int16_t minframewords = 8;
} // namespace

framereader::framereader(streamjob& owner, std::FILE* file, int64_t length, bool inject)
    : filelength(length), bytesleft(length), doc(owner), input(file), injecterrors(inject) {
    H = headerwords_for(doc.config.weighton, doc.config.weightmode, doc.config.jointcoding);
    header.messages = doc.hooks.messages;
    header.wordbuf = doc.framebuf;
    header.wordlimit = doc.framebuf + framebufwords;
    header.headerwords = H;
    header.framelen = doc.framelen;
    header.synctolerance = doc.synctolerance;
    header.config = doc.config;
}

bool framereader::readheaderwords() {
    if (readwords(input, doc.framebuf, H) == H) return true;
    doc.showmessage(headerreaderror);
    return false;
}

bool framereader::headerpasses() const {
    return header.crc16(doc.framebuf + 1, static_cast<uint32_t>(H - 1)) == 0;
}

framereader::search framereader::syncsearch() {
    while (2 * static_cast<int64_t>(H) <= bytesleft) {
        if (!readheaderwords()) return search::failed;
        header.read();
        if (hassyncandcrc()) {
            if (!seekby(input, -2 * H)) break;
            prevwords = header.framewords;
            return search::found;
        }
        // Next attempt one word further on.
        if (!seekby(input, -2 * (H - 1))) break;
        bytesleft -= 2;
    }
    if (2 * static_cast<int64_t>(H) <= bytesleft) {
        doc.showmessage(headerreaderror);
        return search::failed;
    }
    return search::notfound;
}

framereader::frame framereader::next(int64_t frameno) {
    if (skip > 0) {
        skip -= 1;
        lastindex = static_cast<int16_t>((lastindex + 1) % 16);
        doc.stats.frameslost += 1;
        doc.stats.framesskipped += 1;
        doc.emit({driveevent::skippedframe, frameno});
        return frame::lost;
    }
    const int64_t bytesbefore = bytesleft;
    doc.stats.frameoffset = filelength - bytesleft;
    if (!readheaderwords()) return frame::failed;
    bytesleft -= 2 * H;
    if (injecterrors) doc.inserterrors(doc.framebuf, H, doc.errorsenabled);
    // Only the CRC decides here; the sync word counts only while searching.
    bool intact = headerpasses();
    header.read();
    flen = header.framewords;
    // An intact header must still announce a length that holds the header itself.
    if (intact && (flen < minframewords || flen < H)) intact = false;
    if (intact) return readpayload();

    doc.stats.damagedheaders += 1;
    doc.stats.frameslost += 1;
    doc.emit({driveevent::damagedheader, frameno});
    const frame result = resync(frameno, bytesbefore);
    lastindex = static_cast<int16_t>((lastindex + 1) % 16);
    return result;
}

framereader::frame framereader::take(const uint16_t* words, int32_t n) {
    const int32_t kept = std::clamp<int32_t>(n, 0, maxframewords);
    std::copy_n(words, kept, doc.framebuf);
    std::fill(doc.framebuf + kept, doc.framebuf + framebufwords, uint16_t{0});
    // Too short to hold a header: the fields of the last header read stay.
    if (kept < H) return frame::lost;
    const bool passes = headerpasses();
    header.read();
    flen = header.framewords;
    if (!passes || flen < minframewords || flen < H || flen > kept) return frame::lost;
    const int16_t payload = static_cast<int16_t>(flen - H);
    if (splittest && payload % channels != 0) return frame::lost;
    if (splittest) channelpayload = static_cast<int16_t>(payload / channels);
    prevwords = flen;
    lastindex = header.frameindex;
    return frame::good;
}

framereader::frame framereader::readpayload() {
    const int16_t payload = static_cast<int16_t>(flen - H);
    if (splittest) {
        if (payload % channels != 0) {
            doc.showmessage("multi-channel frame size error");
            return frame::failed;
        }
        channelpayload = static_cast<int16_t>(payload / channels);
    }
    if (readwords(input, doc.framebuf + H, payload) != payload) {
        doc.showmessage(incompleteframe);
        return frame::failed;
    }
    bytesleft -= 2 * payload;
    if (injecterrors) doc.inserterrors(doc.framebuf + H, payload, doc.errorsenabled);
    prevwords = flen;
    lastindex = header.frameindex;
    return frame::good;
}

framereader::frame framereader::resync(int64_t frameno, int64_t bytesbefore) {
    // No bits are flipped here: the words of the next header are read again, and only
    // then pass through inserterrors, by the next pass.
    attempt found = attempt::notfound;
    int32_t way = 0;
    const int16_t damagedlength = flen;
    if (header.lengthok == 1 && 2 * static_cast<int64_t>(damagedlength) <= bytesleft) {
        found = trustlength(damagedlength);
        way = 1;
    }
    // The last good length is only worth a try when it holds a header.
    if (found == attempt::notfound && prevwords >= std::max<int16_t>(minframewords, H) &&
        2 * static_cast<int64_t>(prevwords) <= bytesleft) {
        found = trustlength(prevwords);
        way = 2;
    }
    if (found == attempt::notfound) {
        found = slide();
        way = 3;
    }
    if (found == attempt::failed) return frame::failed;
    if (found == attempt::notfound) {
        bytesleft = 0;
        way = 0;
    }
    const int64_t words = (bytesbefore - bytesleft) / 2;
    doc.stats.resyncs[way] += 1;
    doc.stats.wordsskipped += words;
    doc.emit({driveevent::resync, frameno, way, words});
    return frame::lost;
}

framereader::attempt framereader::trustlength(int16_t length) {
    const int32_t payload = length - H;
    if (readwords(input, doc.framebuf + H, payload) != payload) {
        doc.showmessage(incompleteframe);
        return attempt::failed;
    }
    if (!readheaderwords()) return attempt::failed;
    header.read();
    if (hassyncandcrc()) {
        if (!seekby(input, -2 * H)) return attempt::failed;
        bytesleft -= 2 * static_cast<int64_t>(payload);
        skip = 0;
        return attempt::found;
    }
    // Back to just behind the damaged header.
    if (!seekby(input, -2 * static_cast<int64_t>(length))) return attempt::failed;
    return attempt::notfound;
}

framereader::attempt framereader::slide() {
    while (2 * static_cast<int64_t>(H) <= bytesleft) {
        if (!readheaderwords()) return attempt::failed;
        header.read();
        if (hassyncandcrc()) {
            if (!seekby(input, -2 * H)) return attempt::failed;
            // Frames between the damaged one and the one found are lost without reading;
            // the difference of indices wraps modulo 16.
            int32_t gap = header.frameindex - 2 - lastindex;
            while (gap < 0) gap += 16;
            skip = static_cast<int16_t>(gap);
            return attempt::found;
        }
        if (!seekby(input, -2 * (H - 1))) return attempt::failed;
        bytesleft -= 2;
    }
    return attempt::notfound;
}
