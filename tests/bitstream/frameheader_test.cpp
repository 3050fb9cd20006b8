#include "codec/format/frameheader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messagerecorder.h"

namespace {

// Words from a string of '0' and '1' (other characters are separators), MSB first.
std::vector<uint16_t> wordsfrombits(const std::string& bits) {
    std::vector<uint16_t> words;
    int filled = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (filled % 16 == 0) words.push_back(0);
        if (c == '1') words.back() = static_cast<uint16_t>(words.back() | (0x8000 >> (filled % 16)));
        ++filled;
    }
    return words;
}

// The mono, joint-coded 48 kHz short-block frame of the format's worked example.
void setexample(frameheader& header) {
    header.srindex = 7;
    header.setsizes();
    header.frameindex = 3;
    header.framewords = 107;
    header.channels = 1;
    header.blockmode = 0;
    header.codedbands = 20;
    header.bitplanes[0] = 9;
    const int16_t flags[8] = {1, 1, 0, 0, 1, 0, 0, 0};
    for (int k = 0; k < 8; ++k) header.groupflags[0][k] = flags[k];
}

struct packedheader {
    std::vector<uint16_t> clean, damaged;
};

// Packs into buffers one word longer than the header, guarded by a sentinel.
packedheader pack(encodeheader& header) {
    packedheader out{std::vector<uint16_t>(header.headerwords + 1, 0xEEEE),
                     std::vector<uint16_t>(header.headerwords + 1, 0xEEEE)};
    header.wordbuf = out.clean.data();
    header.errbuf = out.damaged.data();
    header.pack();
    return out;
}

// Reads a header from words, with the read-ahead word the reader may load.
void read(decodeheader& header, std::vector<uint16_t> words) {
    words.push_back(0);
    header.wordbuf = words.data();
    header.wordlimit = words.data() + words.size();
    header.read();
    header.wordbuf = nullptr;
    header.wordlimit = nullptr;
}

} // namespace

TEST(FrameHeaderTables, SampleRatesShortBlocksAndNames) {
    const double rates[8] = {11.025, 12, 16, 22.05, 24, 32, 44.1, 48};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(samplerate_khz(i), rates[i]);
        EXPECT_EQ(shortblocklength(i), i == 4 || i == 5 ? 64 : 128);
    }
    EXPECT_STREQ(blockmodename(0), "ALL_SHORT");
    EXPECT_STREQ(blockmodename(1), "ALL_LONG");
    EXPECT_STREQ(blockmodename(2), "LONG_SHORT");
    EXPECT_STREQ(blockmodename(3), "SHORT_LONG");
    EXPECT_STREQ(blockmodename(4), "?");
    EXPECT_STREQ(blockmodename(-1), "?");
}

TEST(FrameHeaderTables, HeaderLengthByConfiguration) {
    EXPECT_EQ(headerwords_for(1, 2, 1), 5);
    EXPECT_EQ(headerwords_for(1, 2, 0), 5);
    EXPECT_EQ(headerwords_for(1, 0, 1), 4);
    EXPECT_EQ(headerwords_for(1, 1, 0), 5);
    EXPECT_EQ(headerwords_for(0, 2, 1), 4);
    EXPECT_EQ(headerwords_for(0, 0, 0), 5);
}

TEST(FrameHeaderTables, SizesFollowTheSampleRate) {
    frameheader header;
    header.srindex = 5;
    header.setsizes();
    EXPECT_EQ(header.shortlen, 64);
    EXPECT_EQ(header.nblock, 16);
    EXPECT_EQ(header.maxbands, 32);
    EXPECT_EQ(header.codedbandsbits(), 5);
    header.srindex = 6;
    header.setsizes();
    EXPECT_EQ(header.shortlen, 128);
    EXPECT_EQ(header.nblock, 8);
}

TEST(FrameHeader, WorkedExamplePacksToTheReferenceBits) {
    encodeheader writer;
    setexample(writer);
    const packedheader packed = pack(writer);
    std::vector<uint16_t> expected =
        wordsfrombits("1101111111111101 0011 001101011 0 111 00 10011 01001 1001000"
                      " 000000000000");
    ASSERT_EQ(expected.size(), 4u);
    expected.push_back(writer.crc16(expected.data() + 1, 3));
    for (size_t w = 0; w < expected.size(); ++w) EXPECT_EQ(packed.clean[w], expected[w]) << "word " << w;
    EXPECT_EQ(packed.clean[5], 0xEEEE);
    // lengthok turns injection on, but ber 0 flips nothing.
    EXPECT_EQ(packed.damaged, packed.clean);
    EXPECT_EQ(writer.crc16(packed.clean.data() + 1, 4), 0);
}

TEST(FrameHeader, WorkedExampleReadsBack) {
    encodeheader writer;
    setexample(writer);
    const packedheader packed = pack(writer);
    decodeheader reader;
    read(reader, {packed.clean.begin(), packed.clean.begin() + 5});
    EXPECT_EQ(reader.syncfound, 1);
    EXPECT_EQ(reader.frameindex, 3);
    EXPECT_EQ(reader.framewords, 107);
    EXPECT_EQ(reader.lengthok, 1);
    EXPECT_EQ(reader.channels, 1);
    EXPECT_EQ(reader.srindex, 7);
    EXPECT_EQ(reader.nblock, 8);
    EXPECT_EQ(reader.blockmode, 0);
    EXPECT_EQ(reader.codedbands, 20);
    EXPECT_EQ(reader.bitplanes[0], 9);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(reader.groupflags[0][k], writer.groupflags[0][k]) << k;
    EXPECT_EQ(reader.bitsleft, 80 - 52);
}

TEST(FrameHeader, LongBlockFrameCarriesNoGroupFlags) {
    encodeheader writer;
    setexample(writer);
    writer.blockmode = 1;
    const packedheader packed = pack(writer);
    std::vector<uint16_t> expected = wordsfrombits("1101111111111101 0011 001101011 0 111 01 10011 01001"
                                                   " 0000000000000000000");
    ASSERT_EQ(expected.size(), 4u);
    for (size_t w = 0; w < 4; ++w) EXPECT_EQ(packed.clean[w], expected[w]) << "word " << w;

    decodeheader reader;
    reader.groupflags[0][3] = 1; // left over from an earlier short-block frame
    read(reader, {packed.clean.begin(), packed.clean.begin() + 5});
    EXPECT_EQ(reader.blockmode, 1);
    EXPECT_EQ(reader.groupflags[0][0], 1);
    EXPECT_EQ(reader.groupflags[0][3], 0);
}

TEST(FrameHeader, StereoSeparateCodingAndSideInfoLayouts) {
    encodeheader writer;
    writer.jointcoding = 0;
    writer.srindex = 6;
    writer.setsizes();
    writer.channels = 2;
    writer.framewords = 300;
    writer.blockmode = 3;
    writer.codedbands = 32;
    writer.bitplanes[0] = 17;
    writer.bitplanes[1] = 31;
    for (int k = 1; k < 8; ++k) {
        writer.groupflags[0][k] = static_cast<int16_t>(k % 2);
        writer.groupflags[1][k] = static_cast<int16_t>(k % 3 == 0);
    }
    const packedheader packed = pack(writer);
    decodeheader reader;
    reader.jointcoding = 0;
    read(reader, {packed.clean.begin(), packed.clean.begin() + 5});
    EXPECT_EQ(reader.channels, 2);
    EXPECT_EQ(reader.codedbands, 32);
    EXPECT_EQ(reader.bitplanes[0], 17);
    EXPECT_EQ(reader.bitplanes[1], 31);
    for (int ch = 0; ch < 2; ++ch)
        for (int k = 1; k < 8; ++k) EXPECT_EQ(reader.groupflags[ch][k], writer.groupflags[ch][k]);

    // Weights in the side information: 4 words, crcwords per frame.
    encodeheader sidewriter;
    sidewriter.weightmode = 1;
    sidewriter.headerwords = headerwords_for(1, 1, 1);
    sidewriter.srindex = 2;
    sidewriter.setsizes();
    sidewriter.channels = 2;
    sidewriter.framewords = 200;
    sidewriter.crcwords[0] = 201;
    const packedheader sidepacked = pack(sidewriter);
    EXPECT_EQ(sidewriter.crc16(sidepacked.clean.data() + 1, 3), 0);
    decodeheader sidereader;
    sidereader.weightmode = 1;
    sidereader.headerwords = 4;
    read(sidereader, {sidepacked.clean.begin(), sidepacked.clean.begin() + 4});
    EXPECT_EQ(sidereader.crcwords[0], 201);
    EXPECT_EQ(sidereader.srindex, 2);
}

TEST(FrameHeader, SyncToleranceCountsDifferingBits) {
    encodeheader writer;
    setexample(writer);
    const packedheader packed = pack(writer);
    std::vector<uint16_t> words(packed.clean.begin(), packed.clean.begin() + 5);
    decodeheader reader;

    words[0] = syncword ^ 0x0100;
    read(reader, words);
    EXPECT_EQ(reader.syncfound, 1);
    words[0] = syncword ^ 0x0101;
    read(reader, words);
    EXPECT_EQ(reader.syncfound, 0);
    reader.synctolerance = 2;
    read(reader, words);
    EXPECT_EQ(reader.syncfound, 1);
    reader.synctolerance = 0;
    words[0] = syncword;
    read(reader, words);
    EXPECT_EQ(reader.syncfound, 1);
    // The sync word is outside the CRC: words 1 to 4 still check.
    words[0] = 0;
    EXPECT_EQ(reader.crc16(words.data() + 1, 4), 0);
}

TEST(FrameHeader, CodedBandsCoding) {
    encodeheader writer;
    setexample(writer);
    decodeheader reader;
    const std::pair<int16_t, int16_t> cases[] = {{32, 32}, {1, 1}, {0, 1}, {-5, 1}, {40, 32}};
    for (const auto& [written, readback] : cases) {
        writer.codedbands = written;
        const packedheader packed = pack(writer);
        // codedbands sits after 16 + 4 + 9 + 1 + 3 + 2 = 35 bits: bits 3..7 of word 2.
        if (written == 32) {
            EXPECT_EQ((packed.clean[2] >> 8) & 0x1F, 31);
        }
        read(reader, {packed.clean.begin(), packed.clean.begin() + 5});
        EXPECT_EQ(reader.codedbands, readback) << "written " << written;
    }
}

TEST(FrameHeader, ShortFrameLengthsClearLengthOk) {
    encodeheader writer;
    setexample(writer);
    decodeheader reader;
    for (int16_t length : {7, 0, 8, 511}) {
        writer.framewords = length;
        const packedheader packed = pack(writer);
        read(reader, {packed.clean.begin(), packed.clean.begin() + 5});
        EXPECT_EQ(reader.framewords, length);
        EXPECT_EQ(reader.lengthok, length >= 8 ? 1 : 0) << length;
        EXPECT_EQ(reader.codedbands, 20);
    }
}

TEST(FrameHeader, OverflowStaysWithinTheHeaderWords) {
    messagerecorder messages;
    // Separate coding of two channels with 16 short blocks needs 80 bits before the CRC.
    encodeheader writer;
    writer.jointcoding = 0;
    writer.srindex = 5;
    writer.setsizes();
    writer.channels = 2;
    writer.framewords = 100;
    for (int k = 0; k < 16; ++k) writer.groupflags[0][k] = writer.groupflags[1][k] = 1;
    const packedheader packed = pack(writer);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"header packing overflow"});
    EXPECT_EQ(packed.clean[5], 0xEEEE);
    EXPECT_EQ(packed.damaged[5], 0xEEEE);
    EXPECT_EQ(writer.crc16(packed.clean.data() + 1, 4), 0);

    messages.shown.clear();
    writer.headerwords = 1;
    const packedheader tiny = pack(writer);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"header packing overflow"});
    EXPECT_EQ(tiny.clean[0], 0xEEEE);
}

TEST(FrameHeader, HostileLengthsReadNothingOutsideTheBuffer) {
    decodeheader reader;
    reader.headerwords = 0;
    read(reader, {syncword});
    EXPECT_EQ(reader.syncfound, 0);
    EXPECT_EQ(reader.bitsleft, 0);

    // A budget larger than the buffer: the word limit turns the rest into zeros.
    reader.headerwords = 2000;
    read(reader, {syncword, 0xFFFF});
    EXPECT_EQ(reader.syncfound, 1);
    EXPECT_EQ(reader.frameindex, 15);
    EXPECT_EQ(reader.channels, 2);
}
