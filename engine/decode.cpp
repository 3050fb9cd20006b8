// decodeZAT: the bitstream file named by bitstreampath to the WAV file named by wavpath.
//
// Draws from the job's random source, per frame and in this order: the header's bit
// errors, the payload's bit errors (16 per word when errorsenabled; 32 per word under the
// two-state model, none under the others), the frame erasure (2 under errormodel 2), then
// under separate coding channel by channel the decoder's draws followed by the dither of
// that channel's samples (2 per sample); under joint coding the joint decoder's draws
// first, then channel by channel the channel decoder's draws and that channel's dither.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "codec/decoder/zatdec.h"
#include "codec/joint/jzat.h"
#include "engine/handover.h"
#include "engine/io/pcm.h"
#include "engine/io/pcmsink.h"
#include "engine/io/wordio.h"
#include "engine/readframe.h"
#include "engine/runreport.h"
#include "engine/streamjob.h"

namespace {

// The decoders of one operation and the stream parameters they were built for.
class decoderset {
  public:
    decoderset(streamjob& owner, framereader& walk) : doc(owner), reader(walk) {}
    ~decoderset() { release(); }
    decoderset(const decoderset&) = delete;
    decoderset& operator=(const decoderset&) = delete;

    // Takes the stream parameters from the first header into the document and builds the
    // decoders. Returns false when an array could not be allocated.
    bool build();
    void release();
    // Decodes the frame in framebuf (or conceals it) into pcmfilebuf.
    void decode(bool lost, int64_t frameno);

    int16_t nch = 1;
    int32_t rate = 48000;
    int16_t scaledlength = 8;
    int16_t channelscaled = 0;

  private:
    void decodeseparate(bool lost, int64_t frameno);
    void decodejoint(bool lost, int64_t frameno);
    void convert(int16_t channel);
    template <class decoderstate>
    void countpasscrc(const decoderstate& decoder, bool lost, bool concealed, int32_t channel,
                      int64_t frameno);
    void countsidecrc(const uint16_t* payload, int16_t sidecrcwords, bool lost, bool concealed);
    void countconcealed(bool concealed, int32_t channel, int64_t frameno, bool& framecounted);

    streamjob& doc;
    framereader& reader;
    int16_t srindex = 7; // the stream's, from the first header, never a damaged header's
    std::vector<zatdec> channels;
    jzatdec joint;
};

bool decoderset::build() {
    const decodeheader& first = reader.header;
    nch = first.channels;
    srindex = first.srindex;
    doc.srindex = srindex;
    doc.fs_khz = samplerate_khz(srindex);
    rate = ratehz(doc.fs_khz);
    doc.shortlen = first.shortlen;
    doc.nblock = first.nblock;
    doc.midpoint = doc.framelen / 2 + doc.shortlen / 2;
    doc.nband1 = first.maxshortbands;
    doc.nband2 = first.maxlongbands;

    scaledlength = doc.scaledframelen(doc.scaledbitrate);
    if (doc.jointcoding == 0) {
        while ((scaledlength - reader.H) % nch != 0) scaledlength += 1;
        channelscaled = static_cast<int16_t>((scaledlength - reader.H) / nch);
    }

    channels.resize(static_cast<size_t>(nch));
    for (zatdec& decoder : channels) handover_job(doc, decoder);
    handover_job(doc, joint);
    for (zatdec& decoder : channels)
        if (decoder.arrayalloc_zatdec(doc.longlen, doc.shortlen, doc.nblock, doc.midpoint, doc.nband1,
                                      doc.nband2) != 0)
            return false;
    for (zatdec& decoder : channels) handover_channel_once(doc, decoder, srindex);
    // Built in both coding modes; used only under joint coding.
    return joint.jarrayalloc(doc.longlen, doc.shortlen, doc.nblock, doc.nband1, doc.nband2) == 0;
}

void decoderset::release() {
    for (zatdec& decoder : channels) decoder.arrayfree_zatdec();
    channels.clear();
}

void decoderset::convert(int16_t channel) {
    if (doc.sink) doc.sink->channel(channel, doc.pcm_buf.get(), doc.framelen);
    pcmconvert(doc.random, doc.pcm_buf.get(), doc.pcmfilebuf.get() + channel, doc.framelen, nch, doc.dither);
}

template <class decoderstate>
void decoderset::countpasscrc(const decoderstate& decoder, bool lost, bool concealed, int32_t channel,
                              int64_t frameno) {
    if (!lost && !concealed) doc.stats.crcintact += decoder.passesintact;
    // crcerror outlives frames whose coefficient data is not read, so only a frame that
    // was read and either decoded or concealed for a first-plane failure counts.
    if (lost || decoder.crcerror == 0 || (concealed && decoder.crcerrorpos != 0)) return;
    // A pass that the frame's budget ended before its CRC word is cut, not damaged.
    if (decoder.crccut != 0) {
        doc.stats.passescut += 1;
        return;
    }
    doc.stats.passcrcfailures += 1;
    doc.emit({driveevent::passcrcfailed, frameno, 0, 0, channel, decoder.crcerrorpos});
}

void decoderset::countsidecrc(const uint16_t* payload, int16_t sidecrcwords, bool lost, bool concealed) {
    const bool checked = doc.crcon == 1 && doc.weighton != 0 && doc.weightmode != 2;
    if (!checked || lost || concealed) return;
    // Zero words pass any CRC check: only a check over data vouches for the frame.
    const int32_t words = std::clamp<int32_t>(sidecrcwords, 0, reader.flen - reader.H);
    if (std::any_of(payload, payload + words, [](uint16_t w) { return w != 0; })) doc.stats.crcintact += 1;
}

void decoderset::countconcealed(bool concealed, int32_t channel, int64_t frameno, bool& framecounted) {
    if (!concealed) return;
    if (!framecounted) doc.stats.framesconcealed += 1;
    framecounted = true;
    doc.emit({driveevent::concealedframe, frameno, 0, 0, channel});
}

void decoderset::decode(bool lost, int64_t frameno) {
    if (doc.jointcoding == 0)
        decodeseparate(lost, frameno);
    else
        decodejoint(lost, frameno);
}

void decoderset::decodeseparate(bool lost, int64_t frameno) {
    const decodeheader& h = reader.header;
    bool counted = false;
    for (int16_t c = 0; c < nch; c++) {
        zatdec& decoder = channels[static_cast<size_t>(c)];
        handover_channel_frame(doc, decoder, false);
        // Each channel has its own slice of the payload.
        decoder.wordbuf = doc.framebuf + reader.H + c * reader.channelpayload;
        decoder.wordlimit = doc.framebuf + framebufwords;
        decoder.outbuf = doc.pcm_buf.get();
        decoder.payloadwords = reader.channelpayload;
        decoder.decodewords = channelscaled;
        decoder.ratescale = 1.0;
        decoder.framelost = lost ? 1 : 0;
        decoder.srindex = srindex;
        decoder.blockmode = h.blockmode;
        decoder.nbandcoded = h.codedbands;
        for (int32_t b = 0; b < doc.nblock && b < 16; b++)
            decoder.scfres[static_cast<size_t>(b)] = h.groupflags[c][b];
        decoder.sidecrcwords = h.crcwords[c];
        decoder.topbitplane = h.bitplanes[c];
        decoder.signmode = 0;
        // A block-mode sequence that writes nothing gives silence, never the samples the
        // buffer still holds from another channel or an earlier file.
        std::fill_n(doc.pcm_buf.get(), doc.framelen, 0.0);
        decoder.decode_frame();
        const bool concealed = decoder.blockmode >= LOST_FRAME;
        countpasscrc(decoder, lost, concealed, c, frameno);
        countsidecrc(decoder.wordbuf, h.crcwords[c], lost, concealed);
        countconcealed(concealed, c, frameno, counted);
        convert(c);
    }
}

void decoderset::decodejoint(bool lost, int64_t frameno) {
    const decodeheader& h = reader.header;
    handover_joint_frame(doc, joint);
    joint.wordbuf = doc.framebuf + reader.H;
    joint.wordlimit = doc.framebuf + framebufwords;
    // A lost frame is not read: its damaged length means nothing.
    joint.payloadwords = lost ? int16_t{0} : static_cast<int16_t>(reader.flen - reader.H);
    joint.decodewords = static_cast<int16_t>(scaledlength - reader.H);
    joint.ratescale = 1.0;
    joint.framelost = lost ? 1 : 0;
    joint.nchan = nch;
    joint.blockmode = h.blockmode;
    joint.nbandcoded = h.codedbands;
    for (int c = 0; c < 2; c++)
        for (size_t b = 0; b < joint.scfres[c].size() && b < 16; b++) joint.scfres[c][b] = h.groupflags[c][b];
    joint.sidecrcwords = h.crcwords[0];
    joint.topbitplane = h.bitplanes[0];
    joint.chdec = channels.data();
    joint.decode_frame();
    countpasscrc(joint, lost, joint.blockmode == LOST_FRAME, -1, frameno);
    countsidecrc(joint.wordbuf, h.crcwords[0], lost, joint.blockmode == LOST_FRAME);
    bool counted = false;

    for (int16_t c = 0; c < nch; c++) {
        zatdec& decoder = channels[static_cast<size_t>(c)];
        handover_channel_frame(doc, decoder, true);
        decoder.outbuf = doc.pcm_buf.get();
        decoder.srindex = srindex;
        decoder.nbandcoded = h.codedbands;
        joint.handover(decoder);
        std::fill_n(doc.pcm_buf.get(), doc.framelen, 0.0);
        decoder.output_frame();
        countconcealed(decoder.blockmode >= LOST_FRAME, c, frameno, counted);
        convert(c);
    }
}

} // namespace

void streamjob::decodeZAT() {
    stats = {};
    if (!pcm_buf || !pcmfilebuf) return; // allocNFRAMEarrays has already said why
    // A model that cannot run stops the decode before any file is touched.
    const std::string modelproblem = errors.prepare(*this);
    if (!modelproblem.empty()) {
        showmessage(modelproblem);
        return;
    }
    int64_t filelength = 0;
    filehandle input = openinput("invalid bitstream file format", "cannot find bitstream file", filelength);
    if (!input) return;
    if (samefile(bitstreampath, wavpath)) {
        showmessage("input and output are the same file");
        return;
    }
    // Declared before the file so that it outlives the close: a stdio buffer of many
    // frames turns one write call per frame into one per 64 frames.
    std::vector<char> outputbuffer(256 * 1024);
    filehandle output = sink ? nullptr : openfile(wavpath, "wb");
    if (!sink && !output) {
        showmessage("cannot create output file");
        return;
    }
    if (output) std::setvbuf(output.get(), outputbuffer.data(), _IOFBF, outputbuffer.size());
    if (output && writewavheader(output.get(), 0, 0, 0, 16) != 0) {
        showmessage("output file header write");
        return;
    }

    framereader reader(*this, input.get(), filelength, true);
    const framereader::search found = reader.syncsearch();
    if (found == framereader::search::failed) return;
    if (found == framereader::search::notfound) {
        // Nothing to decode: a valid WAV file without samples.
        showmessage("no frame header found in bitstream file");
        if (output && (std::fseek(output.get(), 0, SEEK_SET) != 0 ||
                       writewavheader(output.get(), 1, 0, ratehz(fs_khz), 16) != 0))
            showmessage("output file header write");
        return;
    }

    decoderset decoders(*this, reader);
    if (!decoders.build()) return;
    const int16_t nch = decoders.nch;
    if (sink && !sink->begin(nch, decoders.rate)) {
        showmessage("cannot create output file");
        return;
    }
    reader.channels = nch;
    reader.splittest = jointcoding == 0;

    nbiterrors = 0;
    nbitsseen = 0;
    int64_t frames = 0;
    int64_t inputwords = 0, decodedwords = 0;
    int32_t progress = -1;
    const int32_t framevalues = nch * framelen;
    const uint64_t framebytes = static_cast<uint64_t>(framevalues) * 2;
    bool toolarge = false;
    const runclock clock;

    while (reader.bytesleft >= 16) {
        if ((static_cast<uint64_t>(frames) + 1) * framebytes > wavdatalimit) {
            // Stop at the last frame that fits and leave a valid WAV file of it.
            showmessage("output file too large for WAV format");
            toolarge = true;
            break;
        }
        const framereader::frame next = reader.next(frames);
        if (next == framereader::frame::failed) return;
        const bool lost = next == framereader::frame::lost;
        const int64_t length = lost ? reader.prevwords : reader.flen;
        inputwords += length;
        decodedwords += outputbitratemode == 0 ? length : std::min<int64_t>(length, decoders.scaledlength);
        // An erased frame was read like any other, so the walk stays in step; only the
        // decoders see it as lost.
        const bool erased = eraseframe(frames);

        decoders.decode(lost || erased, frames);
        const bool written = sink ? sink->frame(pcmfilebuf.get(), framevalues)
                                  : writesamples(output.get(), pcmfilebuf.get(), framevalues) == framevalues;
        if (!written) {
            showmessage("output file frame write");
            return;
        }
        frames += 1;
        stats.frameshandled = frames;
        stats.frameswritten = frames;
        const auto percent = progresspercent(filelength - reader.bytesleft, filelength);
        if (percent > progress) {
            if (hooks.progress) hooks.progress(percent);
            progress = percent;
        }
    }
    decoders.release();

    if (output && (std::fseek(output.get(), 0, SEEK_SET) != 0 ||
                   writewavheader(output.get(), nch, frames * framelen, decoders.rate, 16) != 0)) {
        showmessage("output file header write");
        return;
    }
    if (!closefile(input)) showmessage("cannot close input bitstream file");
    if (!closefile(output)) showmessage("cannot close output wav file");
    if (toolarge) return;

    const double ratio =
        nbitsseen > 0 ? static_cast<double>(nbiterrors) / static_cast<double>(nbitsseen) : 0.0;
    postrun(*this, "decoding completed", "decoded bitrate",
            {decoders.rate, clock.seconds(), frames, inputwords, decodedwords, ratio});
    stats.completed = true;
}
