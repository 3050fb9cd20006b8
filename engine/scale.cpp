// scaleZAT: the bitstream file named by bitstreampath cut down to scaledbitrate and
// written to scaledpath, without decoding. Every prefix of a payload is itself decodable,
// so a frame is scaled by keeping its first words (under separate coding: the first words
// of each channel's slice), re-packing its header with the new length, a fresh index and
// a fresh CRC. Lost frames are dropped; the output indices stay consecutive.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/io/wordio.h"
#include "engine/readframe.h"
#include "engine/runreport.h"
#include "engine/streamjob.h"

namespace {

// The output file of a run: removed again unless the run reaches its end, so that a
// stopped run never leaves a bitstream that looks complete.
// A stream the front end gave is its own to keep or discard.
class scaledoutput {
  public:
    scaledoutput(std::string name, std::FILE* given)
        : path(std::move(name)), file(given ? nullptr : openfile(path, "wb")),
          stream(given ? given : file.get()) {}
    ~scaledoutput() {
        if (kept || !file) return;
        file.reset();
        std::remove(path.c_str());
    }
    scaledoutput(const scaledoutput&) = delete;
    scaledoutput& operator=(const scaledoutput&) = delete;

    std::FILE* get() const { return stream; }
    // Closes the finished file and keeps it; false when closing or flushing failed.
    bool finish() {
        kept = true;
        return file ? closefile(file) : std::fflush(stream) == 0;
    }

  private:
    std::string path;
    filehandle file;
    std::FILE* stream;
    bool kept = false;
};

// Under separate coding each channel's slice is cut to its share of the target and the
// shortened slices are moved together behind the header; returns the new frame length.
int16_t cutslices(uint16_t* frame, int16_t H, int16_t channels, int16_t channelpayload, int16_t share) {
    for (int16_t c = 1; c < channels; c++)
        std::memmove(frame + H + c * share, frame + H + c * channelpayload, sizeof(uint16_t) * share);
    return static_cast<int16_t>(H + channels * share);
}

} // namespace

void streamjob::scaleZAT() {
    stats = {};
    int64_t filelength = 0;
    filehandle input =
        openinput("invalid bitstream input file format", "cannot find bitstream input file", filelength);
    if (!input) return;
    // A stream the front end gave without a name (standard output) has no extension.
    if (!(scaledstream && scaledpath.empty()) && !endsinztb(scaledpath)) {
        showmessage("invalid bitstream output file format");
        return;
    }
    if (samefile(bitstreampath, scaledpath)) {
        showmessage("input and output are the same file");
        return;
    }
    scaledoutput output(scaledpath, scaledstream);
    if (!output.get()) {
        showmessage("cannot create bitstream output file");
        return;
    }

    framereader reader(*this, input.get(), filelength, false);
    const framereader::search found = reader.syncsearch();
    if (found == framereader::search::failed) return;
    if (found == framereader::search::notfound) {
        showmessage("no frame header found in bitstream file");
        return;
    }
    const int16_t H = reader.H;
    const int16_t nch = reader.header.channels;
    srindex = reader.header.srindex;
    fs_khz = samplerate_khz(srindex);
    const auto rate = ratehz(fs_khz);
    nblock = reader.header.nblock;
    const bool separate = config.jointcoding == 0;
    reader.channels = nch;
    reader.splittest = separate;

    // Only separately coded payloads are split among the channels, so only they need a
    // target that divides; the decode driver's scaled length follows the same rule.
    int16_t target = scaledframelen(scaledbitrate);
    if (separate)
        while ((target - H) % nch != 0) target += 1;
    const auto share = static_cast<int16_t>((target - H) / nch);

    encodeheader writer;
    writer.messages = hooks.messages;
    writer.wordbuf = framebuf;
    writer.srindex = srindex;
    writer.framelen = framelen;
    writer.setsizes();
    writer.headerwords = H;
    writer.channels = nch;
    writer.config = config;

    int64_t frames = 0, written = 0, inwords = 0, outwords = 0;
    int32_t lastpercent = -1;
    if (hooks.status) hooks.status("");
    const runclock clock;

    while (reader.bytesleft >= 16) {
        const framereader::frame next = reader.next(frames);
        if (next == framereader::frame::failed) return;
        if (next == framereader::frame::good) {
            const int16_t flen = reader.flen;
            int16_t outlen = outputbitratemode == 0 ? flen : std::min(flen, target);
            if (separate && outlen < flen) outlen = cutslices(framebuf, H, nch, reader.channelpayload, share);
            inwords += flen;
            outwords += outlen;

            const decodeheader& in = reader.header;
            writer.blockmode = in.blockmode;
            writer.codedbands = in.codedbands; // each frame keeps its own coded bandwidth
            std::memcpy(writer.groupflags, in.groupflags, sizeof writer.groupflags);
            for (int c = 0; c < (separate ? nch : 1); c++) {
                writer.bitplanes[c] = in.bitplanes[c];
                writer.crcwords[c] = in.crcwords[c];
            }
            writer.frameindex = static_cast<int16_t>(written % 16);
            writer.framewords = outlen;
            writer.pack();
            if (writewords(output.get(), framebuf, outlen) != outlen) {
                showmessage("bitstream file frame write error");
                return;
            }
            written += 1;
        } else {
            inwords += reader.prevwords;
            outwords += reader.prevwords;
        }
        frames += 1;
        stats.frameshandled = frames;
        stats.frameswritten = written;
        const auto percent = progresspercent(filelength - reader.bytesleft, filelength);
        if (percent > lastpercent) {
            if (hooks.progress) hooks.progress(percent);
            lastpercent = percent;
        }
    }

    if (!closefile(input)) showmessage("cannot close input bitstream file");
    if (!output.finish()) showmessage("cannot close output bitstream file");

    postrun(*this, "bitrate scaling completed", "output bitstream",
            {rate, clock.seconds(), frames, inwords, outwords, 0.0});
    stats.completed = true;
}
