#include "base/bitstream.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/random.h"
#include "tests/support/messages.h"

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

TEST(Crc16, WorkedExampleAndSelfCheck) {
    bitstream bs;
    const uint16_t words[] = {0x6162, 0x6300, 0x8414};
    EXPECT_EQ(bs.crc16(words, 2), 0x8414);
    EXPECT_EQ(bs.crc16(words, 3), 0x0000);
    EXPECT_EQ(bs.crc16(words, 0), 0x0000);
    std::mt19937 gen(7);
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<uint16_t> block(1 + gen() % 40);
        for (auto& w : block) w = static_cast<uint16_t>(gen());
        block.push_back(bs.crc16(block.data(), static_cast<uint32_t>(block.size())));
        EXPECT_EQ(bs.crc16(block.data(), static_cast<uint32_t>(block.size())), 0);
    }
}

TEST(BitReader, OverwideFieldsAndTheWordLimit) {
    messagerecorder messages;
    // The reader may only see the first two words; the third exists but is out of bounds.
    std::vector<uint16_t> words = {0xFFFF, 0xFFFF, 0xFFFF};
    bitstream bs;
    bs.wordlimit = words.data() + 2;
    startreading(bs, words);
    uint16_t values[2] = {11, 22};
    bs.unpackbits(values, 2, 17);
    bs.unpackbits_crc(values, 2, 17, 0);
    EXPECT_EQ(values[1], 22);
    EXPECT_EQ(bs.bitpos, 0);
    EXPECT_EQ(readone(bs, 16), 0xFFFF);
    EXPECT_EQ(readone(bs, 8), 0xFF);
    EXPECT_EQ(readone(bs, 16), 0xFF00);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(readone(bs, 16), 0);
    EXPECT_EQ(bs.wordptr, words.data() + 2);

    std::vector<uint16_t> clean(2, 0), damaged(2, 0);
    startpacking(bs, clean, damaged);
    bs.packbits(reinterpret_cast<const int16_t*>(values), 2, 17, 0);
    EXPECT_EQ(bs.wordptr, clean.data());
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"16 bit unpacking limit", "16 bit unpacking limit",
                                                        "16 bit packing limit"}));
}

TEST(BitPacker, InjectionFlipsTheDamagedStreamOnlyDrawingOncePerBit) {
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
    random_seed(1);
    for (int i = 0; i < 16; ++i) random_draw();
    const uint32_t after16 = random_state();
    random_seed(1);
    bs.ber = 0.0;
    packone(bs, 0x1234, 16, 1);
    EXPECT_EQ(random_state(), after16);
}

// Random fields of 1 to 16 bits and protection levels, packed from every bit offset, come
// back through the array readers and the inline ones alike, which agree on every reader and
// CRC state; the CRC stream holds exactly the fields protected at the reader's crclevel.
TEST(BitStream, RandomFieldsComeBackWithTheirCrcStream) {
    struct field {
        int16_t width, value;
        int32_t level; // -1: read without the CRC stream
    };
    std::mt19937 gen(2024);
    for (int trial = 0; trial < 320; ++trial) {
        const int32_t crclevel = trial % 5 - 1;
        const auto offset = static_cast<int16_t>(trial % 16);
        std::vector<field> fields(1 + gen() % 60);
        std::vector<uint16_t> clean(fields.size() + 2), damaged(clean.size());
        std::vector<uint16_t> expected(clean.size()), scratch(clean.size());
        bitstream packer, protectedpacker;
        startpacking(packer, clean, damaged);
        startpacking(protectedpacker, expected, scratch);
        packone(packer, 0, offset);
        int totalbits = offset;
        for (field& f : fields) {
            f.width = static_cast<int16_t>(1 + gen() % 16);
            f.value = static_cast<int16_t>(gen() & ((1u << f.width) - 1));
            f.level = static_cast<int32_t>(gen() % 5) - 1;
            packone(packer, f.value, f.width);
            if (f.level >= 0 && crclevel >= f.level) packone(protectedpacker, f.value, f.width);
            totalbits += f.width;
        }
        packer.flushbits();
        protectedpacker.flushbits();

        bitstream a, b;
        std::vector<uint16_t> crca(clean.size()), crcb(clean.size());
        for (auto [bs, crc] : {std::pair{&a, &crca}, {&b, &crcb}}) {
            bs->crclevel = crclevel;
            startreading(*bs, clean);
            bs->crcptr = crc->data();
            bs->crcbitpos = 0;
            bs->crcacc = 0;
        }
        readone(a, offset);
        if (offset > 0) b.readbits(offset);
        for (const field& f : fields) {
            uint16_t got = 0;
            if (f.level < 0) {
                a.unpackbits(&got, 1, f.width);
                ASSERT_EQ(b.readbits(f.width), got);
            } else {
                a.unpackbits_crc(&got, 1, f.width, f.level);
                ASSERT_EQ(b.readbits_crc(f.width, f.level), got);
            }
            ASSERT_EQ(got, static_cast<uint16_t>(f.value)) << "trial " << trial;
            ASSERT_EQ(a.bitpos, b.bitpos);
            ASSERT_EQ(a.wordptr, b.wordptr);
            ASSERT_EQ(a.crcacc, b.crcacc);
            ASSERT_EQ(a.crcbitpos, b.crcbitpos);
        }
        EXPECT_EQ(a.bitpos, totalbits % 16);
        EXPECT_EQ(a.wordptr - clean.data(), totalbits / 16 + 1);
        if (a.crcbitpos != 0) *a.crcptr++ = a.crcacc;
        EXPECT_EQ(std::vector<uint16_t>(crca.data(), a.crcptr),
                  std::vector<uint16_t>(expected.data(), protectedpacker.wordptr))
            << "trial " << trial;
    }
}
