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
    EXPECT_STREQ(blockmodename(3), "SHORT_LONG");
    EXPECT_STREQ(blockmodename(4), "?");
    // Header words by (weights on, weight mode, joint coding).
    const int cases[][4] = {{1, 2, 1, 5}, {1, 2, 0, 5}, {1, 0, 1, 4},
                            {1, 1, 0, 5}, {0, 2, 1, 4}, {0, 0, 0, 5}};
    for (const auto& c : cases) EXPECT_EQ(headerwords_for(c[0], c[1], c[2]), c[3]);
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

    decodeheader reader;
    read(reader, {packed.clean.begin(), packed.clean.begin() + 5});
    EXPECT_EQ(reader.syncfound, 1);
    EXPECT_EQ(reader.lengthok, 1);
    for (auto [got, want] : {std::pair{reader.frameindex, 3},
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
    const packedheader packed = pack(writer);
    std::vector<uint16_t> words(packed.clean.begin(), packed.clean.begin() + 5);
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
