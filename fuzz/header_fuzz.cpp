// decodeheader::read on arbitrary words, under every header configuration the settings
// allow. The header gets exactly the H + 1 words its contract promises (the reader runs
// one word ahead), on the heap, so that AddressSanitizer sees any read beyond them. A
// header that reads back sensibly must survive encodeheader::pack and a second read.
#include <algorithm>
#include <vector>

#include "codec/format/frameheader.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/fuzzsupport.h"

namespace {

void configure(frameheader& header, fuzzinput& in) {
    header.config.weighton = in.choose(2);
    header.config.weightmode = in.choose(3);
    header.config.jointcoding = in.choose(2);
    header.config.scfresmode = in.choose(3);
    header.synctolerance = in.choose(17);
    header.headerwords =
        headerwords_for(header.config.weighton, header.config.weightmode, header.config.jointcoding);
}

bool sameheader(const frameheader& a, const frameheader& b) {
    if (a.frameindex != b.frameindex || a.framewords != b.framewords || a.channels != b.channels ||
        a.srindex != b.srindex || a.blockmode != b.blockmode || a.codedbands != b.codedbands)
        return false;
    const int n = a.config.jointcoding != 0 ? 1 : a.channels;
    for (int ch = 0; ch < n; ++ch) {
        if (a.config.weighton == 0 || a.config.weightmode == 2) {
            if (a.bitplanes[ch] != b.bitplanes[ch]) return false;
        } else if (a.crcwords[ch] != b.crcwords[ch]) {
            return false;
        }
        if (a.config.weighton != 0 && a.config.weightmode == 2 &&
            !std::equal(a.groupflags[ch], a.groupflags[ch] + 16, b.groupflags[ch]))
            return false;
    }
    return true;
}

// Packs the fields just read into a fresh header and reads them back.
void roundtrip(const decodeheader& read) {
    const int16_t H = read.headerwords;
    std::vector<uint16_t> clean(static_cast<size_t>(H) + 1);
    encodeheader writer;
    static_cast<frameheader&>(writer) = read;
    writer.wordbuf = clean.data();
    writer.pack();
    fuzzcheck(writer.crc16(clean.data() + 1, static_cast<uint32_t>(H - 1)) == 0,
              "packed header fails its CRC");

    decodeheader again;
    static_cast<frameheader&>(again) = read;
    again.wordbuf = clean.data();
    again.read();
    fuzzcheck(again.syncfound == 1, "packed header lost its sync word");
    fuzzcheck(sameheader(read, again), "header fields changed through pack and read");
}

} // namespace

int fuzz_header(const uint8_t* data, size_t size) {
    quietrun quiet;
    fuzzinput in(data, size);
    decodeheader header;
    header.messages = quiet.sink();
    configure(header, in);
    const int16_t H = header.headerwords;

    std::vector<uint16_t> words(static_cast<size_t>(H) + 1);
    for (uint16_t& w : words) w = in.word();
    header.wordbuf = words.data();
    header.read();

    fuzzcheck(header.wordptr <= words.data() + words.size(), "header reader ran past its look-ahead word");
    fuzzcheck(header.lengthok == (header.framewords >= 8 && header.framewords <= maxframewords),
              "lengthok disagrees with framewords");
    fuzzcheck(header.channels >= 1 && header.channels <= 2, "channel count outside 1..2");
    fuzzcheck(header.srindex >= 0 && header.srindex <= 7, "sample-rate index outside 0..7");
    fuzzcheck(header.codedbands >= 1 && header.codedbands <= header.maxbands,
              "coded bands outside 1..maxbands");
    fuzzcheck(header.bitsleft >= 0, "header budget overspent");

    // A layout that cannot hold all its fields drops some; only complete ones round-trip.
    if (header.bitsleft > 0) roundtrip(header);
    return 0;
}
