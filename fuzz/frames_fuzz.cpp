// The channel and joint frame decoders on a run of up to four frames with arbitrary
// payloads and header fields, under settings and stream parameters chosen by the input,
// as the drivers hand them over. The decoders keep their state from frame to frame, so
// block-mode transitions and the concealment of lost frames after arbitrary ones are
// reached too. Each payload sits in a buffer of exactly its size plus the reader's
// look-ahead word, on the heap, so that AddressSanitizer sees any read beyond it.
#include <vector>

#include "codec/decoder/zatdec.h"
#include "codec/format/frameheader.h"
#include "codec/joint/jzat.h"
#include "engine/handover.h"
#include "engine/io/pcm.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzsupport.h"

namespace {

constexpr int maxpayloadwords = maxframewords - 5;

// Header fields of one frame, each within the range its header field can hold.
struct fuzzframe {
    int16_t blockmode = 0;
    int16_t codedbands = 32;
    int16_t bitplanes = 0;
    int16_t crcwords = 0;
    int16_t groupflags[2][16] = {};
    bool lost = false;
    int16_t payloadwords = 0;
    int16_t decodewords = 0;
    std::vector<uint16_t> payload; // payloadwords words, then the look-ahead word
};

fuzzframe chooseframe(fuzzinput& in, int32_t nblock) {
    fuzzframe frame;
    frame.blockmode = static_cast<int16_t>(in.choose(4));
    frame.codedbands = static_cast<int16_t>(1 + in.choose(32));
    frame.bitplanes = static_cast<int16_t>(in.choose(32));
    frame.crcwords = in.byte();
    for (auto& flags : frame.groupflags) {
        // Entry 0 always starts a group; long-block frames have no other.
        const uint16_t bits = in.word();
        flags[0] = 1;
        for (int32_t b = 1; b < nblock && b < 16; ++b)
            flags[b] = static_cast<int16_t>(frame.blockmode == 1 || frame.blockmode == 2 ? 0 : bits >> b & 1);
    }
    // One frame in eight is lost, as a damaged header makes it.
    frame.lost = in.choose(8) == 0;
    frame.payloadwords = static_cast<int16_t>(in.word() % (maxpayloadwords + 1));
    frame.decodewords = static_cast<int16_t>(in.word() % (maxpayloadwords + 1));
    frame.payload.resize(static_cast<size_t>(frame.payloadwords) + 1);
    for (size_t i = 0; i + 1 < frame.payload.size(); ++i) frame.payload[i] = in.word();
    return frame;
}

// The header fields both decoders take (their frame fields have the same names). The
// payload length is the caller's: the joint decoder reads nothing of a lost frame.
template <class decoderclass> void handframe(decoderclass& decoder, fuzzframe& frame) {
    decoder.reader.wordbuf = frame.payload.data();
    decoder.reader.wordlimit = frame.payload.data() + frame.payload.size();
    decoder.decodewords = frame.decodewords;
    decoder.ratescale = 1.0;
    decoder.framelost = frame.lost ? 1 : 0;
    decoder.blockmode = frame.blockmode;
    decoder.nbandcoded = frame.codedbands;
    decoder.sidecrcwords = frame.crcwords;
    decoder.topbitplane = frame.bitplanes;
}

// Converts a decoded channel as the driver does (dither included) and checks the decoder
// left a block mode the synthesis knows.
void finishchannel(CTonvexDoc& doc, const zatdec& decoder, int16_t* pcm, size_t channel) {
    fuzzcheck(decoder.blockmode >= ALL_SHORT && decoder.blockmode <= CONCEALED_SHORT,
              "block mode outside 0..6");
    fuzzcheck(decoder.lastblockmode == decoder.blockmode, "previous block mode not carried forward");
    pcmconvert(doc.random, doc.pcm_buf.get(), pcm + channel * static_cast<size_t>(doc.framelen), doc.framelen,
               doc.dither);
}

// A run of frames through channel decoders built the way the decode driver builds them
// (one, or as many as the input chooses when joint); decodeframe decodes and converts one
// frame, or returns false to end the run.
template <class framedecoder>
void runframes(const uint8_t* data, size_t size, bool joint, framedecoder decodeframe) {
    fuzzrun run(data, size);
    fuzzinput& in = run.in;
    CTonvexDoc& doc = run.doc;
    if (joint) doc.config.jointcoding = 1;
    const auto srindex = static_cast<int16_t>(in.choose(8));
    const int chosen = 1 + in.choose(2);
    doc.srindex = srindex;
    doc.fs_khz = samplerate_khz(srindex);
    doc.shortlen = shortblocklength(srindex);
    doc.nblock = doc.framelen / doc.shortlen;
    doc.midpoint = doc.framelen / 2 + doc.shortlen / 2;
    std::vector<zatdec> channels(joint ? static_cast<size_t>(chosen) : 1);
    bool built = true;
    for (zatdec& decoder : channels) {
        handover_job(doc, decoder);
        built = built && decoder.arrayalloc_zatdec(doc.longlen, doc.shortlen, doc.nblock, doc.midpoint,
                                                   doc.nband1, doc.nband2) == 0;
        if (built) handover_channel_once(decoder, srindex);
    }
    std::vector<int16_t> pcm(channels.size() * static_cast<size_t>(doc.framelen));
    const int frames = 1 + in.choose(4);
    for (int f = 0; built && f < frames; ++f) {
        fuzzframe frame = chooseframe(in, doc.nblock);
        if (!decodeframe(doc, channels, frame, pcm.data())) break;
    }
    for (zatdec& decoder : channels) decoder.arrayfree_zatdec();
}

} // namespace

int fuzz_channelframe(const uint8_t* data, size_t size) {
    runframes(data, size, false,
              [](CTonvexDoc& doc, std::vector<zatdec>& channels, fuzzframe& frame, int16_t* pcm) {
                  zatdec& decoder = channels[0];
                  handframe(decoder, frame);
                  decoder.outbuf = doc.pcm_buf.get();
                  decoder.payloadwords = frame.payloadwords;
                  decoder.srindex = doc.srindex;
                  for (int32_t b = 0; b < doc.nblock && b < 16; ++b)
                      decoder.scfres[static_cast<size_t>(b)] = frame.groupflags[0][b];
                  decoder.signmode = 0;
                  decoder.decode_frame();
                  finishchannel(doc, decoder, pcm, 0);
                  return true;
              });
    return 0;
}

// The joint decoder writes the spectra into the channel decoders, which then run band
// gains and synthesis with the joint decoder's signs.
int fuzz_jointframe(const uint8_t* data, size_t size) {
    jzatdec joint;
    bool allocated = false;
    runframes(data, size, true,
              [&](CTonvexDoc& doc, std::vector<zatdec>& channels, fuzzframe& frame, int16_t* pcm) {
                  if (!allocated) {
                      handover_job(doc, joint);
                      if (joint.jarrayalloc(doc.longlen, doc.shortlen, doc.nblock, doc.nband1, doc.nband2) !=
                          0)
                          return false;
                      allocated = true;
                  }
                  handframe(joint, frame);
                  joint.payloadwords = frame.lost ? int16_t{0} : frame.payloadwords;
                  joint.nchan = static_cast<int16_t>(channels.size());
                  for (int c = 0; c < 2; ++c)
                      for (size_t b = 0; b < joint.scfres[c].size() && b < 16; ++b)
                          joint.scfres[c][b] = frame.groupflags[c][b];
                  joint.chdec = channels.data();
                  joint.decode_frame();
                  fuzzcheck(joint.blockmode >= ALL_SHORT && joint.blockmode <= LOST_FRAME,
                            "joint block mode outside 0..4");
                  for (size_t c = 0; c < channels.size(); ++c) {
                      zatdec& decoder = channels[c];
                      decoder.outbuf = doc.pcm_buf.get();
                      decoder.srindex = doc.srindex;
                      decoder.blockmode = joint.blockmode;
                      decoder.nbandcoded = frame.codedbands;
                      decoder.signmode = doc.config.jointcoding;
                      decoder.crcerror = joint.crcerror;
                      decoder.crcerrorpos = joint.crcerrorpos;
                      joint.makesigns();
                      decoder.conceallongsign = joint.conceallongsign.data();
                      decoder.concealshortsign = joint.concealshortsign.data();
                      decoder.output_frame();
                      finishchannel(doc, decoder, pcm, c);
                  }
                  return true;
              });
    return 0;
}
