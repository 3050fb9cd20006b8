#include "engine/framedecoder.h"

#include <algorithm>

#include "engine/handover.h"
#include "engine/io/pcm.h"
#include "engine/io/pcmsink.h"
#include "engine/readframe.h"
#include "engine/streamjob.h"

bool framedecoder::build() {
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
    if (doc.config.jointcoding == 0) {
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
    for (zatdec& decoder : channels) handover_channel_once(decoder, srindex);
    // The second stage owns the synthesis state: the decoders' filter banks move to it.
    for (zatdec& decoder : channels) banks.push_back(std::move(decoder.bank));
    planar.assign(static_cast<size_t>(nch) * doc.framelen, 0);
    prepare(single);
    // Built in both coding modes; used only under joint coding.
    return joint.jarrayalloc(doc.longlen, doc.shortlen, doc.nblock, doc.nband1, doc.nband2) == 0;
}

void framedecoder::release() {
    for (zatdec& decoder : channels) decoder.arrayfree_zatdec();
    channels.clear();
    banks.clear();
    planar.clear();
}

void framedecoder::prepare(framerecord& record) const {
    record.channels.resize(channels.size());
    for (size_t c = 0; c < channels.size(); c++) {
        record.channels[c].spectrum.assign(static_cast<size_t>(channels[c].flatlength()), 0.0);
        record.channels[c].written = 0;
    }
}

void framedecoder::pass(int16_t c, framerecord& record) {
    framerecord::channelinput& input = record.channels[static_cast<size_t>(c)];
    input.modes = channels[static_cast<size_t>(c)].takespectrum(input.spectrum.data(), input.written);
    input.dither = doc.random.state();
    if (doc.dither != 0) doc.random.skip(2 * static_cast<uint64_t>(doc.framelen));
    record.actions.push_back({frameaction::output, {}, {}, c});
}

void framedecoder::synthesise(const framerecord& record, int16_t c) {
    const framerecord::channelinput& input = record.channels[static_cast<size_t>(c)];
    // A block-mode sequence that writes nothing gives silence, never the samples the
    // buffer still holds from another channel or an earlier file.
    std::fill_n(doc.pcm_buf.get(), doc.framelen, 0.0);
    banks[static_cast<size_t>(c)].run(input.spectrum.data(), input.modes, doc.pcm_buf.get());
    if (doc.sink) doc.sink->channel(c, doc.pcm_buf.get(), doc.framelen);
    randomsource dither(input.dither);
    pcmconvert(dither, doc.pcm_buf.get(), planar.data() + static_cast<size_t>(c) * doc.framelen, doc.framelen,
               doc.dither);
}

void framedecoder::replay(const framerecord& record, const runhooks& hooks) {
    bool output = false;
    for (const frameaction& action : record.actions) {
        switch (action.kind) {
        case frameaction::event:
            if (hooks.event) hooks.event(action.happened);
            break;
        case frameaction::message:
            hooks.messages(action.text);
            break;
        case frameaction::output:
            synthesise(record, action.channel);
            output = true;
            break;
        }
    }
    if (output) interleave(planar.data(), doc.framelen, nch, doc.pcmfilebuf.get());
}

template <class decoderstate>
void framedecoder::countpasscrc(const decoderstate& decoder, bool lost, bool concealed, int32_t channel,
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

void framedecoder::countsidecrc(const uint16_t* payload, int16_t sidecrcwords, bool lost, bool concealed) {
    const codingconfig& c = doc.config;
    const bool checked = c.crcon == 1 && c.weighton != 0 && c.weightmode != 2;
    if (!checked || lost || concealed) return;
    // Zero words pass any CRC check: only a check over data vouches for the frame.
    const int32_t words = std::clamp<int32_t>(sidecrcwords, 0, reader.flen - reader.H);
    if (std::any_of(payload, payload + words, [](uint16_t w) { return w != 0; })) doc.stats.crcintact += 1;
}

void framedecoder::countconcealed(bool concealed, int32_t channel, int64_t frameno, bool& framecounted) {
    if (!concealed) return;
    if (!framecounted) doc.stats.framesconcealed += 1;
    framecounted = true;
    doc.emit({driveevent::concealedframe, frameno, 0, 0, channel});
}

void framedecoder::decode(bool lost, int64_t frameno) {
    single.actions.clear();
    analyse(lost, frameno, single);
    replay(single, doc.hooks);
}

void framedecoder::analyse(bool lost, int64_t frameno, framerecord& record) {
    if (doc.config.jointcoding == 0)
        analyseseparate(lost, frameno, record);
    else
        analysejoint(lost, frameno, record);
}

void framedecoder::analyseseparate(bool lost, int64_t frameno, framerecord& record) {
    const decodeheader& h = reader.header;
    bool counted = false;
    for (int16_t c = 0; c < nch; c++) {
        zatdec& decoder = channels[static_cast<size_t>(c)];
        // Each channel has its own slice of the payload.
        decoder.reader.wordbuf = doc.framebuf + reader.H + c * reader.channelpayload;
        decoder.reader.wordlimit = doc.framebuf + framebufwords;
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
        decoder.decode_framespectrum();
        const bool concealed = decoder.blockmode >= LOST_FRAME;
        countpasscrc(decoder, lost, concealed, c, frameno);
        countsidecrc(decoder.reader.wordbuf, h.crcwords[c], lost, concealed);
        countconcealed(concealed, c, frameno, counted);
        pass(c, record);
    }
}

void framedecoder::analysejoint(bool lost, int64_t frameno, framerecord& record) {
    const decodeheader& h = reader.header;
    joint.reader.wordbuf = doc.framebuf + reader.H;
    joint.reader.wordlimit = doc.framebuf + framebufwords;
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
    countsidecrc(joint.reader.wordbuf, h.crcwords[0], lost, joint.blockmode == LOST_FRAME);
    bool counted = false;

    for (int16_t c = 0; c < nch; c++) {
        zatdec& decoder = channels[static_cast<size_t>(c)];
        decoder.srindex = srindex;
        decoder.nbandcoded = h.codedbands;
        joint.handover(decoder);
        decoder.output_framespectrum();
        countconcealed(decoder.blockmode >= LOST_FRAME, c, frameno, counted);
        pass(c, record);
    }
}
