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

#include "engine/framedecoder.h"
#include "engine/io/pcmsink.h"
#include "engine/io/wordio.h"
#include "engine/readframe.h"
#include "engine/runreport.h"
#include "engine/streamjob.h"

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

    framedecoder decoders(*this, reader);
    if (!decoders.build()) return;
    const int16_t nch = decoders.nch;
    if (sink && !sink->begin(nch, decoders.rate)) {
        showmessage("cannot create output file");
        return;
    }
    reader.channels = nch;
    reader.splittest = config.jointcoding == 0;

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
