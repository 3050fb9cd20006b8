// zatdec::decode_frame on a run of up to four frames with arbitrary payloads and header
// fields, under settings chosen by the input, as separate coding hands them over. The
// decoder keeps its state from frame to frame, so block-mode transitions and the
// concealment of lost frames after arbitrary ones are reached too.
#include <vector>

#include "engine/handover.h"
#include "fuzz/framefuzzing.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzsupport.h"

int fuzz_channelframe(const uint8_t* data, size_t size) {
    fuzzrun run(data, size);
    fuzzinput& in = run.in;
    CTonvexDoc& doc = run.doc;
    const fuzzstream stream = choosestream(doc, in);
    zatdec decoder;
    if (!buildchannel(doc, decoder, stream.srindex)) return 0;
    std::vector<int16_t> pcm(static_cast<size_t>(doc.framelen));

    const int frames = 1 + in.choose(4);
    for (int f = 0; f < frames; ++f) {
        fuzzframe frame = chooseframe(in, doc.nblock);
        handover_channel_frame(doc, decoder, false);
        handframe(decoder, frame);
        decoder.outbuf = doc.pcm_buf.get();
        decoder.payloadwords = frame.payloadwords;
        decoder.srindex = stream.srindex;
        for (int32_t b = 0; b < doc.nblock && b < 16; ++b)
            decoder.scfres[static_cast<size_t>(b)] = frame.groupflags[0][b];
        decoder.signmode = 0;
        decoder.decode_frame();
        finishchannel(doc, decoder, pcm.data(), 1, 0);
    }
    decoder.arrayfree_zatdec();
    return 0;
}
