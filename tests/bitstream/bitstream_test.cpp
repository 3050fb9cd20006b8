#include "base/bitstream.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/random.h"
#include "messagerecorder.h"

namespace {

// A reader over words, primed as the header reader and the decoders do it.
void startreading(bitstream& bs, std::vector<uint16_t>& words) {
    bs.wordbuf = words.data();
    bs.resetbits();
    bs.primereader();
}

// A packer writing both streams into the given buffers.
void startpacking(bitstream& bs, std::vector<uint16_t>& clean, std::vector<uint16_t>& damaged) {
    bs.wordbuf = clean.data();
    bs.errbuf = damaged.data();
    bs.resetbits();
    bs.curword = 0;
    bs.errword = 0;
}

uint16_t readone(bitstream& bs, int16_t nbits) {
    uint16_t value = 0xABCD;
    bs.unpackbits(&value, 1, nbits);
    return value;
}

void packone(bitstream& bs, int16_t value, int16_t nbits, int32_t inject = 0) {
    bs.packbits(&value, 1, nbits, inject);
}

} // namespace

TEST(Crc16, TableEntries) {
    bitstream bs;
    EXPECT_EQ(bs.crctable[0], 0x0000);
    EXPECT_EQ(bs.crctable[1], 0x1021);
    EXPECT_EQ(bs.crctable[2], 0x2042);
    EXPECT_EQ(bs.crctable[255], 0x1EF0);
}

TEST(Crc16, WorkedExampleAndSelfCheck) {
    bitstream bs;
    const uint16_t words[] = {0x6162, 0x6300, 0x8414};
    EXPECT_EQ(bs.crc16(words, 2), 0x8414);
    EXPECT_EQ(bs.crc16(words, 3), 0x0000);
    EXPECT_EQ(bs.crc16(words, 0), 0x0000);
}

TEST(Crc16, AppendedCrcChecksToZeroForRandomBlocks) {
    bitstream bs;
    std::mt19937 gen(7);
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<uint16_t> words(1 + gen() % 40);
        for (auto& w : words) w = static_cast<uint16_t>(gen());
        const uint16_t crc = bs.crc16(words.data(), static_cast<uint32_t>(words.size()));
        words.push_back(crc);
        EXPECT_EQ(bs.crc16(words.data(), static_cast<uint32_t>(words.size())), 0);
    }
}

TEST(BitReader, MaskTable) {
    bitstream bs;
    EXPECT_EQ(bs.bitmask[0], 0x0000);
    EXPECT_EQ(bs.bitmask[1], 0x8000);
    EXPECT_EQ(bs.bitmask[5], 0xF800);
    EXPECT_EQ(bs.bitmask[15], 0xFFFE);
    EXPECT_EQ(bs.bitmask[16], 0xFFFF);
}

TEST(BitReader, SixteenBitsAtWordStartLoadTheNextWord) {
    std::vector<uint16_t> words = {0xDFFD, 0x1234, 0x5678};
    bitstream bs;
    startreading(bs, words);
    EXPECT_EQ(bs.curword, 0xDFFD);
    EXPECT_EQ(bs.wordptr, words.data() + 1);
    EXPECT_EQ(readone(bs, 16), 0xDFFD);
    EXPECT_EQ(bs.bitpos, 0);
    EXPECT_EQ(bs.curword, 0x1234);
    EXPECT_EQ(bs.wordptr, words.data() + 2);
}

TEST(BitReader, FieldAcrossWordBoundary) {
    std::vector<uint16_t> words = {0x0003, 0xA000, 0};
    bitstream bs;
    startreading(bs, words);
    EXPECT_EQ(readone(bs, 14), 0);
    EXPECT_EQ(bs.bitpos, 14);
    // The two lowest bits 11 of word 0, then the three highest bits 101 of word 1.
    EXPECT_EQ(readone(bs, 5), 0x1D);
    EXPECT_EQ(bs.bitpos, 3);
    EXPECT_EQ(bs.curword, 0xA000);
}

TEST(BitReader, ZeroWidthReadsZeroAndConsumesNothing) {
    std::vector<uint16_t> words = {0xFFFF, 0xFFFF};
    bitstream bs;
    startreading(bs, words);
    EXPECT_EQ(readone(bs, 3), 7);
    EXPECT_EQ(readone(bs, 0), 0);
    EXPECT_EQ(bs.bitpos, 3);
    EXPECT_EQ(bs.wordptr, words.data() + 1);
}

TEST(BitReader, OverwideFieldShowsMessageAndReadsNothing) {
    messagerecorder messages;
    std::vector<uint16_t> words = {0x1234, 0x5678};
    bitstream bs;
    startreading(bs, words);
    uint16_t values[2] = {11, 22};
    bs.unpackbits(values, 2, 17);
    bs.unpackbits_crc(values, 2, 17, 0);
    EXPECT_EQ(values[0], 11);
    EXPECT_EQ(values[1], 22);
    EXPECT_EQ(bs.bitpos, 0);
    EXPECT_EQ(bs.wordptr, words.data() + 1);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0], "16 bit unpacking limit");
}

TEST(BitReader, WordLimitReadsZerosAndStaysInTheBuffer) {
    // The reader may only see the first two words; the third exists but is out of bounds.
    std::vector<uint16_t> words = {0xFFFF, 0xFFFF, 0xFFFF};
    bitstream bs;
    bs.wordlimit = words.data() + 2;
    startreading(bs, words);
    EXPECT_EQ(readone(bs, 16), 0xFFFF);
    EXPECT_EQ(readone(bs, 8), 0xFF);
    EXPECT_EQ(readone(bs, 16), 0xFF00);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(readone(bs, 16), 0);
    EXPECT_EQ(bs.wordptr, words.data() + 2);
}

TEST(BitReader, WordLimitAtTheStartPrimesWithZero) {
    std::vector<uint16_t> words = {0xFFFF};
    bitstream bs;
    bs.wordlimit = words.data();
    startreading(bs, words);
    EXPECT_EQ(bs.curword, 0);
    EXPECT_EQ(bs.wordptr, words.data());
}

TEST(BitPacker, ExamplesFromTheFormat) {
    std::vector<uint16_t> clean(4), damaged(4);
    bitstream bs;
    startpacking(bs, clean, damaged);
    packone(bs, 7, 2);
    packone(bs, -1, 3);
    EXPECT_EQ(bs.curword, 0xF800); // 11 then 111
    EXPECT_EQ(bs.bitpos, 5);

    startpacking(bs, clean, damaged);
    const int16_t nibbles[] = {1, 2, 3, 4};
    bs.packbits(nibbles, 4, 4, 0);
    EXPECT_EQ(clean[0], 0x1234);
    EXPECT_EQ(damaged[0], 0x1234);
    EXPECT_EQ(bs.bitpos, 0);
    EXPECT_EQ(bs.curword, 0);
    EXPECT_EQ(bs.wordptr, clean.data() + 1);
}

TEST(BitPacker, FlushStoresPartialWordInBothStreams) {
    std::vector<uint16_t> clean(2, 0xEEEE), damaged(2, 0xEEEE);
    bitstream bs;
    startpacking(bs, clean, damaged);
    bs.flushbits(); // nothing pending: nothing stored
    EXPECT_EQ(bs.wordptr, clean.data());
    packone(bs, 5, 3);
    bs.flushbits();
    EXPECT_EQ(clean[0], 0xA000);
    EXPECT_EQ(damaged[0], 0xA000);
    EXPECT_EQ(bs.wordptr, clean.data() + 1);
    EXPECT_EQ(bs.errptr, damaged.data() + 1);
    EXPECT_EQ(bs.bitpos, 0);
    EXPECT_EQ(clean[1], 0xEEEE);
}

TEST(BitPacker, OverwideFieldShowsMessageAndWritesNothing) {
    messagerecorder messages;
    std::vector<uint16_t> clean(2, 0), damaged(2, 0);
    bitstream bs;
    startpacking(bs, clean, damaged);
    const int16_t values[] = {-1, -1};
    bs.packbits(values, 2, 17, 0);
    EXPECT_EQ(bs.bitpos, 0);
    EXPECT_EQ(bs.curword, 0);
    EXPECT_EQ(bs.wordptr, clean.data());
    EXPECT_EQ(messages.shown, std::vector<std::string>{"16 bit packing limit"});
}

TEST(BitPacker, InjectionWithZeroRateFlipsNothingButDrawsPerBit) {
    std::vector<uint16_t> clean(8), damaged(8);
    bitstream bs;
    bs.ber = 0.0;
    startpacking(bs, clean, damaged);
    random_seed(1);
    const int16_t values[] = {0x1234, 0x0F0F, 0x7FFF};
    bs.packbits(values, 3, 16, 1);
    EXPECT_EQ(clean, damaged);
    EXPECT_EQ(bs.biterrors, 0);
    // 48 bits packed: 48 draws made.
    random_seed(1);
    for (int i = 0; i < 48; ++i) random_draw();
    const uint32_t expected = random_state();
    random_seed(1);
    bs.packbits(values, 3, 16, 1);
    EXPECT_EQ(random_state(), expected);
}

TEST(BitPacker, InjectionWithRateOneFlipsEveryBitOfTheDamagedStreamOnly) {
    std::vector<uint16_t> clean(2), damaged(2);
    bitstream bs;
    bs.ber = 1.0;
    startpacking(bs, clean, damaged);
    random_seed(1);
    // A draw of 0 gives 1.0 - 0 = 1.0, not below 1.0: only the draws above 0 flip.
    packone(bs, 0x1234, 16, 1);
    EXPECT_EQ(clean[0], 0x1234);
    EXPECT_EQ(damaged[0], static_cast<uint16_t>(~0x1234));
    EXPECT_EQ(bs.biterrors, 16);
    bs.resetbits();
    EXPECT_EQ(bs.biterrors, 0);
}

TEST(BitPacker, PackedStreamsMatchWithoutInjection) {
    std::vector<uint16_t> clean(4), damaged(4);
    bitstream bs;
    bs.ber = 0.5;
    startpacking(bs, clean, damaged);
    const int16_t values[] = {3, 1000, -5, 12};
    bs.packbits(values, 4, 13, 0);
    bs.flushbits();
    EXPECT_EQ(clean, damaged);
    EXPECT_EQ(bs.biterrors, 0);
}

// Random sequences of fields of 0..16 bits, started at every bit offset of the first word,
// come back unchanged; the reader consumes exactly the bits that were packed.
TEST(BitRoundTrip, RandomFieldsAtEveryOffset) {
    std::mt19937 gen(2024);
    for (int offset = 0; offset < 16; ++offset) {
        for (int trial = 0; trial < 20; ++trial) {
            const int count = 1 + static_cast<int>(gen() % 60);
            std::vector<int16_t> widths(count), values(count);
            int totalbits = offset;
            for (int i = 0; i < count; ++i) {
                widths[i] = static_cast<int16_t>(gen() % 17);
                values[i] = static_cast<int16_t>(gen() & ((1u << widths[i]) - 1));
                totalbits += widths[i];
            }
            const size_t nwords = static_cast<size_t>(totalbits / 16 + 2);
            std::vector<uint16_t> clean(nwords, 0), damaged(nwords, 0);
            bitstream packer;
            startpacking(packer, clean, damaged);
            packone(packer, 0, static_cast<int16_t>(offset));
            for (int i = 0; i < count; ++i) packone(packer, values[i], widths[i]);
            packer.flushbits();

            bitstream reader;
            startreading(reader, clean);
            EXPECT_EQ(readone(reader, static_cast<int16_t>(offset)), 0);
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(readone(reader, widths[i]), static_cast<uint16_t>(values[i]))
                    << "offset " << offset << " field " << i;
            EXPECT_EQ(reader.bitpos, totalbits % 16);
            EXPECT_EQ(reader.wordptr - clean.data(), totalbits / 16 + 1);
        }
    }
}

// Fields read with levels 0..3 under every crclevel: the CRC stream holds exactly the fields
// at or below crclevel, packed in reading order.
TEST(CrcStream, CopiesExactlyTheProtectedFields) {
    std::mt19937 gen(99);
    for (int32_t crclevel = -1; crclevel <= 3; ++crclevel) {
        const int count = 80;
        std::vector<int16_t> widths(count), values(count);
        std::vector<int32_t> levels(count);
        for (int i = 0; i < count; ++i) {
            widths[i] = static_cast<int16_t>(gen() % 17);
            values[i] = static_cast<int16_t>(gen() & ((1u << widths[i]) - 1));
            levels[i] = static_cast<int32_t>(gen() % 4);
        }
        std::vector<uint16_t> payload(count + 2), payloaderr(count + 2);
        std::vector<uint16_t> expected(count + 2), expectederr(count + 2);
        bitstream packer, expectedpacker;
        startpacking(packer, payload, payloaderr);
        startpacking(expectedpacker, expected, expectederr);
        for (int i = 0; i < count; ++i) {
            packone(packer, values[i], widths[i]);
            if (crclevel >= levels[i]) packone(expectedpacker, values[i], widths[i]);
        }
        packer.flushbits();
        const int16_t pendingbits = expectedpacker.bitpos;
        expectedpacker.flushbits();
        const auto expectedwords = expectedpacker.wordptr - expected.data();

        std::vector<uint16_t> crcbuf(count + 2, 0);
        bitstream reader;
        reader.crclevel = crclevel;
        startreading(reader, payload);
        reader.crcptr = crcbuf.data();
        reader.crcbitpos = 0;
        reader.crcacc = 0;
        for (int i = 0; i < count; ++i) {
            uint16_t value = 0;
            reader.unpackbits_crc(&value, 1, widths[i], levels[i]);
            ASSERT_EQ(value, static_cast<uint16_t>(values[i]));
        }
        EXPECT_EQ(reader.crcbitpos, pendingbits);
        if (reader.crcbitpos != 0) *reader.crcptr++ = reader.crcacc;
        ASSERT_EQ(reader.crcptr - crcbuf.data(), expectedwords) << "crclevel " << crclevel;
        for (long w = 0; w < expectedwords; ++w) EXPECT_EQ(crcbuf[w], expected[w]);
    }
}

TEST(CrcStream, UnprotectedFieldLeavesTheCrcStateAlone) {
    std::vector<uint16_t> words = {0xBEEF, 0xCAFE, 0};
    uint16_t crcbuf[2] = {0, 0};
    bitstream bs;
    bs.crclevel = 0;
    startreading(bs, words);
    bs.crcptr = crcbuf;
    bs.crcbitpos = 0;
    bs.crcacc = 0;
    uint16_t values[2];
    bs.unpackbits_crc(values, 2, 12, 1);
    EXPECT_EQ(values[0], 0xBEE);
    EXPECT_EQ(values[1], 0xFCA);
    EXPECT_EQ(bs.crcacc, 0);
    EXPECT_EQ(bs.crcbitpos, 0);
    EXPECT_EQ(bs.crcptr, crcbuf);
}

TEST(BitReader, InlineReadsMatchTheFieldReaders) {
    // Random widths 1..16 and levels, up to and past a word limit, read once through the
    // array readers and once through the inline ones: values, reader and CRC state agree.
    std::mt19937 gen(7);
    std::vector<uint16_t> words(64);
    for (uint16_t& w : words) w = static_cast<uint16_t>(gen());
    for (int32_t crclevel = -1; crclevel <= 3; ++crclevel) {
        bitstream a, b;
        std::vector<uint16_t> crca(128, 0), crcb(128, 0);
        for (bitstream* bs : {&a, &b}) {
            bs->crclevel = crclevel;
            startreading(*bs, words);
            bs->wordlimit = words.data() + 40; // the last 24 words read as 0
            bs->crcbitpos = 0;
            bs->crcacc = 0;
        }
        a.crcptr = crca.data();
        b.crcptr = crcb.data();
        for (int i = 0; i < 120; ++i) {
            const auto nbits = static_cast<int16_t>(1 + gen() % 16);
            const auto level = static_cast<int32_t>(gen() % 5) - 1;
            uint16_t expected = 0;
            if (level < 0) {
                a.unpackbits(&expected, 1, nbits);
                ASSERT_EQ(b.readbits(nbits), expected) << i;
            } else {
                a.unpackbits_crc(&expected, 1, nbits, level);
                ASSERT_EQ(b.readbits_crc(nbits, level), expected) << i;
            }
            ASSERT_EQ(a.bitpos, b.bitpos);
            ASSERT_EQ(a.curword, b.curword);
            ASSERT_EQ(a.wordptr, b.wordptr);
            ASSERT_EQ(a.crcacc, b.crcacc);
            ASSERT_EQ(a.crcbitpos, b.crcbitpos);
        }
        EXPECT_EQ(a.wordptr, words.data() + 40);
        EXPECT_EQ(a.crcptr - crca.data(), b.crcptr - crcb.data());
        EXPECT_EQ(crca, crcb);
    }
}

TEST(BitReader, CursorReadsBitsAsTheReaderDoes) {
    std::vector<uint16_t> words = {0xA5C3, 0x0F0F, 0xFFFF, 0x1234};
    bitstream a, b;
    for (bitstream* bs : {&a, &b}) {
        startreading(*bs, words);
        bs->wordlimit = words.data() + 3; // the last word reads as 0
        bs->readbits(5);                  // start inside a word
    }
    bitstream::cursor in = b.startcursor();
    for (int i = 0; i < 60; ++i) ASSERT_EQ(in.readbit(), a.readbits(1)) << i;
    b.endcursor(in);
    EXPECT_EQ(b.bitpos, a.bitpos);
    EXPECT_EQ(b.curword, a.curword);
    EXPECT_EQ(b.wordptr, a.wordptr);
    EXPECT_EQ(b.readbits(7), a.readbits(7));
}
