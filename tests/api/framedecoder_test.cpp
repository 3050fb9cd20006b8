// Frame-by-frame decoding gives the samples of the whole-file decode, a damaged or missing
// frame is concealed alike, and the C interface gives the same.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/format/frameheader.h"
#include "tests/support/scratchdir.h"
#include "tonvex/tonvex.h"
#include "tonvex/tonvex.hpp"

namespace {

using words = std::vector<std::uint16_t>;

struct framed {
    const char* stream;
    int jointcoding;
};

// The stream cut at its headers' lengths (an intact stream: no resynchronisation).
std::vector<words> frames(const std::string& path, int jointcoding) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    words all(b.size() / 2);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint16_t>(b[2 * i] | b[2 * i + 1] << 8);
    decodeheader header;
    header.jointcoding = jointcoding;
    header.headerwords = headerwords_for(header.weighton, header.weightmode, jointcoding);
    std::vector<words> out;
    for (size_t at = 0; at + 8 <= all.size();) {
        words frame(all.begin() + static_cast<std::ptrdiff_t>(at), all.end());
        frame.push_back(0);
        header.wordbuf = frame.data();
        header.wordlimit = frame.data() + frame.size();
        header.read();
        frame.resize(static_cast<size_t>(header.framewords));
        at += frame.size();
        out.push_back(std::move(frame));
    }
    return out;
}

class framedecoding : public ::testing::TestWithParam<framed> {};

TEST_P(framedecoding, GivesTheWholeFileDecodesSamples) {
    const std::string path = std::string(TONVEX_VECTOR_DIR) + "/" + GetParam().stream;
    tonvex::session session;
    session.set("jointcoding", GetParam().jointcoding);
    session.set("errorsenabled", 0); // no error draws: the dither is then the same
    const std::vector<words> cut = frames(path, GetParam().jointcoding);
    ASSERT_GT(cut.size(), 4u);

    std::vector<std::int16_t> whole;
    const tonvex::runresult r =
        session.decode(tonvex::source::file(path), [&whole](const std::int16_t* s, size_t n, int, int) {
            whole.insert(whole.end(), s, s + n);
            return true;
        });
    ASSERT_TRUE(r.completed);
    session.seed(1);
    tonvex::framedecoder decoder(cut[0].data(), cut[0].size(), &session);
    ASSERT_TRUE(decoder.valid()) << decoder.error();
    std::vector<std::int16_t> byframe;
    for (const words& f : cut) {
        const std::vector<std::int16_t> pcm = decoder.decode(f.data(), f.size());
        ASSERT_EQ(pcm.size(), static_cast<size_t>(decoder.channels() * decoder.framelength()));
        byframe.insert(byframe.end(), pcm.begin(), pcm.end());
    }
    EXPECT_EQ(byframe, whole);

    // A frame with a flipped header bit, one cut short and one missing are concealed alike.
    tonvex::framedecoder damaged(cut[0].data(), cut[0].size(), &session);
    tonvex::framedecoder missing(cut[0].data(), cut[0].size(), &session);
    for (size_t i = 0; i < 4; ++i) {
        words f = cut[i];
        if (i == 1) f[2] ^= 0x0100;
        const size_t n = i == 2 ? f.size() - 1 : f.size();
        EXPECT_EQ(damaged.decode(f.data(), n),
                  i == 1 || i == 2 ? missing.lost() : missing.decode(f.data(), n))
            << i;
    }

    // The C interface, from the first frame on.
    tonvex_framedecoder* c = nullptr;
    ASSERT_EQ(tonvex_framedecoder_new(nullptr, cut[0].data(), cut[0].size(), &c), TONVEX_OK);
    int channels = 0, rate = 0;
    tonvex_framedecoder_layout(c, &channels, &rate);
    EXPECT_EQ(channels, decoder.channels());
    EXPECT_EQ(rate, decoder.samplerate());
    std::int16_t pcm[2048];
    size_t count = 0;
    EXPECT_EQ(tonvex_framedecoder_decode(c, cut[0].data(), cut[0].size(), pcm, 2048, &count), TONVEX_OK);
    EXPECT_EQ(count, static_cast<size_t>(channels * 1024));
    EXPECT_EQ(tonvex_framedecoder_decode(c, nullptr, 0, pcm, 2048, &count), TONVEX_OK);
    EXPECT_EQ(tonvex_framedecoder_decode(c, nullptr, 0, pcm, 10, &count), TONVEX_ERROR_ARGUMENT);
    tonvex_framedecoder_free(c);
    const std::uint16_t garbage[8] = {1, 2, 3};
    EXPECT_EQ(tonvex_framedecoder_new(nullptr, garbage, 8, &c), TONVEX_ERROR_RUN);
    EXPECT_FALSE(tonvex::framedecoder(garbage, 8).valid());
}

INSTANTIATE_TEST_SUITE_P(streams, framedecoding,
                         ::testing::Values(framed{"v01-default-48s.ztb", 1},
                                           framed{"v05-separate-48s.ztb", 0},
                                           framed{"v02-sine-441m.ztb", 1}));

} // namespace
