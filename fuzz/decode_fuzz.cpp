// decodeZAT on an arbitrary file, under settings chosen by the input: joint and separate
// coding, the three weight modes, CRC on and off, bit errors, scaled decoding. The run must
// end in a WAV file whose sizes agree with the frames written, or in a message, within
// the frame bound for the file's size.
#include <cstdio>

#include "app/CTonvexDoc.h"
#include "fuzz/driverfuzzing.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/fuzzsupport.h"
#include "fuzz/outcomes.h"

int fuzz_decode(const uint8_t* data, size_t size) {
    fuzzrun run(data, size);
    fuzzinput& in = run.in;
    CTonvexDoc& doc = run.doc;
    const std::vector<uint8_t> file = choosefile(doc, in);
    doc.bitstreampath = fuzzpath("in.ztb");
    doc.wavpath = fuzzpath("out.wav");
    writefilebytes(doc.bitstreampath, file);
    std::remove(doc.wavpath.c_str());

    doc.decodeZAT();

    fuzzcheck(doc.stats.frameshandled <= framebound(doc, static_cast<int64_t>(file.size())),
              "more frames than the file's size allows");
    bool exists = false;
    const std::vector<uint8_t> wav = readfilebytes(doc.wavpath, &exists);
    const std::string fault = wavfault(wav, exists, doc, run.quiet.messages > 0);
    fuzzcheck(fault.empty(), fault.c_str());
    return 0;
}
