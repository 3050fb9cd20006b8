// scaleZAT on an arbitrary file to a bitrate chosen by the input, under settings chosen by
// the input. A completed run must leave a stream of intact, consecutively numbered frames
// that fills its file; a stopped one must have said why.
#include <cstdio>

#include "app/CTonvexDoc.h"
#include "fuzz/driverfuzzing.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/fuzzsupport.h"
#include "fuzz/outcomes.h"

int fuzz_scale(const uint8_t* data, size_t size) {
    fuzzrun run(data, size);
    fuzzinput& in = run.in;
    CTonvexDoc& doc = run.doc;
    // Bitrates from below the shortest frame to above the longest.
    doc.scaledbitrate = 4.0 * in.byte();
    doc.outputbitratemode = in.choose(2);
    const std::vector<uint8_t> file = choosefile(doc, in);
    doc.bitstreampath = fuzzpath("in.ztb");
    doc.scaledpath = fuzzpath("out_s.ztb");
    writefilebytes(doc.bitstreampath, file);
    std::remove(doc.scaledpath.c_str());

    doc.scaleZAT();

    fuzzcheck(doc.stats.frameshandled <= framebound(doc, static_cast<int64_t>(file.size())),
              "more frames than the file's size allows");
    if (!doc.stats.completed) {
        fuzzcheck(run.quiet.messages > 0, "scaling stopped without a message");
        return 0;
    }
    const std::vector<uint8_t> bytes = readfilebytes(doc.scaledpath);
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    fuzzcheck(bytes.size() % 2 == 0, "scaled stream of an odd number of bytes");
    const std::string fault = scaledfault(words, headerconfig(doc), doc.stats.frameswritten);
    fuzzcheck(fault.empty(), fault.c_str());
    return 0;
}
