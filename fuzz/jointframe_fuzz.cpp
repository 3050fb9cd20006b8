// jzatdec::decode_frame and the channels' output step on a run of up to four frames with
// arbitrary payloads and header fields, under settings chosen by the input, as joint
// coding hands them over: the joint decoder writes the spectra into the channel
// decoders, which then run band gains and synthesis with the joint decoder's signs.
#include <vector>

#include "codec/joint/jzat.h"
#include "engine/handover.h"
#include "fuzz/framefuzzing.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzsupport.h"

int fuzz_jointframe(const uint8_t* data, size_t size) {
    fuzzrun run(data, size);
    fuzzinput& in = run.in;
    CTonvexDoc& doc = run.doc;
    doc.jointcoding = 1;
    const fuzzstream stream = choosestream(doc, in);
    std::vector<zatdec> channels(static_cast<size_t>(stream.channels));
    for (zatdec& channel : channels)
        if (!buildchannel(doc, channel, stream.srindex)) return 0;
    jzatdec joint;
    if (joint.jarrayalloc(doc.longlen, doc.shortlen, doc.nblock, doc.nband1, doc.nband2) != 0) return 0;
    std::vector<int16_t> pcm(static_cast<size_t>(stream.channels * doc.framelen));

    const int frames = 1 + in.choose(4);
    for (int f = 0; f < frames; ++f) {
        fuzzframe frame = chooseframe(in, doc.nblock);
        handover_joint_frame(doc, joint);
        handframe(joint, frame);
        joint.payloadwords = frame.lost ? int16_t{0} : frame.payloadwords;
        joint.nchan = stream.channels;
        for (int c = 0; c < 2; ++c)
            for (size_t b = 0; b < joint.scfres[c].size() && b < 16; ++b)
                joint.scfres[c][b] = frame.groupflags[c][b];
        joint.chdec = channels.data();
        joint.decode_frame();
        fuzzcheck(joint.blockmode >= ALL_SHORT && joint.blockmode <= LOST_FRAME,
                  "joint block mode outside 0..4");

        for (int16_t c = 0; c < stream.channels; ++c) {
            zatdec& decoder = channels[static_cast<size_t>(c)];
            handover_channel_frame(doc, decoder, true);
            decoder.outbuf = doc.pcm_buf.get();
            decoder.srindex = stream.srindex;
            decoder.blockmode = joint.blockmode;
            decoder.nbandcoded = frame.codedbands;
            decoder.signmode = doc.jointcoding;
            decoder.crcerror = joint.crcerror;
            decoder.crcerrorpos = joint.crcerrorpos;
            decoder.conceallongsign = joint.conceallongsign.data();
            decoder.concealshortsign = joint.concealshortsign.data();
            decoder.output_frame();
            finishchannel(doc, decoder, pcm.data(), stream.channels, c);
        }
    }
    for (zatdec& channel : channels) channel.arrayfree_zatdec();
    return 0;
}
