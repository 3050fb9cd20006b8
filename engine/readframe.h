#pragma once
// readframe: the walk of both drivers through a bitstream file. It finds the first intact
// header (sync search), then hands out one frame per call: read with its payload behind
// the header in the document's framebuf, or lost (a damaged header, or a frame skipped
// because the next header found carries a later index). After a damaged header it finds
// the next one by trusting the damaged length, then the last good length, then sliding
// word by word. File positions and bytesleft are in bytes, frame lengths in words.
#include <cstdint>
#include <cstdio>

#include "codec/format/frameheader.h"

class streamjob;

class framereader {
  public:
    enum class search { found, notfound, failed };
    enum class frame { good, lost, failed };

    // injecterrors: pass every word read by the frame loop through the document's
    // inserterrors (the decode driver); the scaler reads the file as it is.
    framereader(streamjob& doc, std::FILE* input, int64_t filelength, bool injecterrors);

    // Finds the first header that has its sync word and passes its CRC, and leaves the
    // file at its start. No bit errors are inserted here.
    search syncsearch();
    // One pass of the frame loop. frameno numbers the frame for the document's events.
    frame next(int64_t frameno);
    // A frame that the caller framed itself, n words from its header on, in place of the
    // file: copied into framebuf and its header read. Lost when the header fails its CRC
    // or announces an impossible length, when fewer words came than it announces, or when
    // the channels' split test fails; words beyond its length are ignored.
    frame take(const uint16_t* words, int32_t n);
    // The header in framebuf has its sync word and passes its CRC.
    bool hassyncandcrc() const { return header.syncfound == 1 && headerpasses(); }

    decodeheader header;
    int16_t H = 5;
    int64_t filelength = 0;
    int64_t bytesleft = 0;
    int16_t prevwords = 0; // framewords of the last intact header
    int16_t lastindex = 15;
    int16_t skip = 0;
    int16_t flen = 0; // framewords of the frame just read (good frames)
    // Separate coding only: the payload of an intact frame must split evenly among
    // channels; channelpayload is each channel's share.
    bool splittest = false;
    int16_t channels = 1;
    int16_t channelpayload = 0;

  private:
    enum class attempt { found, notfound, failed };

    bool readheaderwords();
    bool headerpasses() const;
    frame readpayload();
    // Re-synchronisation after a damaged header; sets skip and bytesleft.
    frame resync(int64_t frameno, int64_t bytesbefore);
    attempt trustlength(int16_t length);
    attempt slide();

    streamjob& doc;
    std::FILE* input;
    bool injecterrors;
};
