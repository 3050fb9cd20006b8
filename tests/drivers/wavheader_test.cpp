#include "engine/io/wavheader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The bytes writewavheader puts into a fresh temporary file.
std::vector<unsigned char> headerbytes(std::int16_t nch, std::int64_t samples, std::int32_t rate,
                                       std::int16_t bits) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(writewavheader(file, nch, samples, rate, bits), 0);
    std::vector<unsigned char> bytes(64);
    std::rewind(file);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

// The 44 bytes from their fields, little-endian.
std::vector<unsigned char> expectedheader(std::uint32_t riffsize, std::uint16_t nch, std::uint32_t rate,
                                          std::uint32_t byterate, std::uint16_t blockalign,
                                          std::uint32_t datasize) {
    std::vector<unsigned char> out;
    auto tag = [&](const char* text) { out.insert(out.end(), text, text + 4); };
    auto number = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    tag("RIFF");
    number(riffsize, 4);
    tag("WAVE");
    tag("fmt ");
    number(16, 4);
    number(1, 2);
    number(nch, 2);
    number(rate, 4);
    number(byterate, 4);
    number(blockalign, 2);
    number(16, 2);
    tag("data");
    number(datasize, 4);
    return out;
}

} // namespace

TEST(WavHeader, HundredFrameStereoExample) {
    const auto bytes = headerbytes(2, 100 * 1024, 48000, 16);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(wavheaderbytes));
    EXPECT_EQ(bytes, expectedheader(409636, 2, 48000, 192000, 4, 409600));
}

TEST(WavHeader, ProvisionalHeader) {
    const auto bytes = headerbytes(0, 0, 0, 16);
    EXPECT_EQ(bytes, expectedheader(36, 0, 0, 0, 0, 0));
    const unsigned char riffsize[4] = {36, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data() + 4, riffsize, 4), 0);
}

TEST(WavHeader, MonoAndEmptyStreams) {
    EXPECT_EQ(headerbytes(1, 1024, 44100, 16), expectedheader(2048 + 36, 1, 44100, 88200, 2, 2048));
    EXPECT_EQ(headerbytes(2, 0, 32000, 16), expectedheader(36, 2, 32000, 128000, 4, 0));
}

TEST(WavHeader, SizesBeyondThirtyTwoBitsKeepTheirLowBits) {
    // 2^31 stereo samples: 8 GiB of data, computed without overflow and stored modulo 2^32.
    const std::int64_t samples = std::int64_t{1} << 31;
    const auto bytes = headerbytes(2, samples, 48000, 16);
    EXPECT_EQ(bytes, expectedheader(36, 2, 48000, 192000, 4, 0));
}

TEST(WavHeader, WritesAtTheCurrentPosition) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("0123456789", file);
    ASSERT_EQ(writewavheader(file, 2, 1, 48000, 16), 0);
    EXPECT_EQ(std::ftell(file), 10 + wavheaderbytes);
    std::fclose(file);
}

TEST(WavHeader, ShortWriteReportsFailure) {
    EXPECT_EQ(writewavheader(nullptr, 2, 100, 48000, 16), 1);
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_EQ(writewavheader(full, 2, 100, 48000, 16), 1);
    std::fclose(full);
}
