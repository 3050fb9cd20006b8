#include "codec/format/frameheader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/bits.h"

namespace {

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

// Packs into a buffer one word longer than the header, guarded by a sentinel.
std::vector<uint16_t> pack(encodeheader& header) {
    std::vector<uint16_t> out(header.headerwords + 1, 0xEEEE);
    header.wordbuf = out.data();
    header.pack();
    return out;
}

// Reads a header from words, with the read-ahead word the reader may load.
void read(decodeheader& header, std::vector<uint16_t> words) {
    words.push_back(0);
    header.wordbuf = words.data();
    header.wordlimit = words.data() + words.size();
    header.read();
}

} // namespace

TEST(FrameHeaderTables, HeaderWords) {
    // Header words by (weights on, weight mode, joint coding).
    const int cases[][4] = {{1, 2, 1, 5}, {1, 2, 0, 5}, {1, 0, 1, 4},
                            {1, 1, 0, 5}, {0, 2, 1, 4}, {0, 0, 0, 5}};
    for (const auto& c : cases) EXPECT_EQ(headerwords_for(c[0], c[1], c[2]), c[3]);
}

TEST(FrameHeader, WorkedExamplePacksToTheReferenceBits) {
    encodeheader writer;
    setexample(writer);
    const std::vector<uint16_t> packed = pack(writer);
    std::vector<uint16_t> expected =
        wordsfrombits("1101111111111101 0011 001101011 0 111 00 10011 01001 1001000"
                      " 000000000000");
    expected.push_back(writer.crc16(expected.data() + 1, 3));
    expected.push_back(0xEEEE);
    EXPECT_EQ(packed, expected);
    EXPECT_EQ(writer.crc16(packed.data() + 1, 4), 0);

    decodeheader reader;
    read(reader, {packed.begin(), packed.begin() + 5});
    for (auto [got, want] : {std::pair{reader.syncfound, 1},
                             {reader.lengthok, 1},
                             {reader.frameindex, 3},
                             {reader.framewords, 107},
                             {reader.channels, 1},
                             {reader.srindex, 7},
                             {reader.blockmode, 0},
                             {reader.codedbands, 20},
                             {reader.bitplanes[0], 9}})
        EXPECT_EQ(got, want);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(reader.groupflags[0][k], writer.groupflags[0][k]) << k;
    EXPECT_EQ(reader.bitsleft, 80 - 52);
}

TEST(FrameHeader, SyncToleranceCountsDifferingBits) {
    encodeheader writer;
    setexample(writer);
    const std::vector<uint16_t> packed = pack(writer);
    std::vector<uint16_t> words(packed.begin(), packed.begin() + 5);
    const struct {
        uint16_t flip;
        int32_t tolerance;
        int16_t found;
    } cases[] = {{0x0100, 1, 1}, {0x0101, 1, 0}, {0x0101, 2, 1}, {0, 0, 1}, {0x8000, 0, 0}};
    for (const auto& c : cases) {
        decodeheader reader;
        reader.synctolerance = c.tolerance;
        words[0] = syncword ^ c.flip;
        read(reader, words);
        EXPECT_EQ(reader.syncfound, c.found) << std::hex << c.flip << " tolerance " << c.tolerance;
    }
}
