// The public interface: a stream read from a file, from memory or from a callback, written
// to a file, to memory or to a PCM callback, and decoded frame by frame, always gives the
// bytes of the plain file run, in C++ and through the C interface.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/format/frameheader.h"
#include "tests/support/scratchdir.h"
#include "tonvex/tonvex.h"
#include "tonvex/tonvex.hpp"

namespace {

using bytes = std::vector<std::uint8_t>;
using samples = std::vector<std::int16_t>;

bytes readall(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string vector(const char* name) {
    return std::string(TONVEX_VECTOR_DIR) + "/" + name;
}

// Every frame's samples of a decode.
tonvex::pcmframes keep(samples& out) {
    return
        [&out](const std::int16_t* s, size_t n, int, int) { return out.insert(out.end(), s, s + n), true; };
}

TEST(api, EverySourceAndOutputGivesTheFileRunsBytes) {
    const auto dir = freshtestdir("tonvex_api");
    const std::string stream = vector("v01-default-48s.ztb"), out = (dir / "out").string();
    const bytes file = readall(stream);
    size_t at = 0; // the callback hands out pieces of 1000 bytes
    const tonvex::source sources[] = {tonvex::source::file(stream),
                                      tonvex::source::memory(file.data(), file.size()),
                                      tonvex::source::callback([&](void* buffer, size_t size) {
                                          const size_t n = std::min({size, file.size() - at, size_t{1000}});
                                          std::memcpy(buffer, file.data() + at, n);
                                          return static_cast<std::ptrdiff_t>((at += n, n));
                                      })};
    tonvex::session session;
    session.set("ber", 0.001);
    bytes wav, scaled;
    for (const tonvex::source& in : sources) {
        bytes memory;
        samples pcm;
        at = 0, session.seed(3);
        EXPECT_TRUE(session.decode(in, out + ".wav").completed);
        at = 0, session.seed(3);
        EXPECT_TRUE(session.decode(in, keep(pcm)).completed);
        at = 0, session.seed(3);
        EXPECT_TRUE(session.scale(in, out + ".ztb").completed);
        at = 0, session.seed(3);
        EXPECT_TRUE(session.scale(in, memory).completed);
        if (wav.empty()) wav = readall(out + ".wav"), scaled = readall(out + ".ztb");
        EXPECT_EQ(readall(out + ".wav"), wav) << in.kind();
        EXPECT_EQ(readall(out + ".ztb"), scaled) << in.kind();
        EXPECT_EQ(memory, scaled) << in.kind();
        ASSERT_EQ(pcm.size() * 2 + 44, wav.size()) << in.kind();
        EXPECT_EQ(std::memcmp(pcm.data(), wav.data() + 44, wav.size() - 44), 0) << in.kind();
        at = 0;
        EXPECT_EQ(tonvex::inspect(in).filebytes, static_cast<std::int64_t>(file.size()));
    }
    // The C interface, from memory.
    tonvex_session* c = nullptr;
    tonvex_source* in = nullptr;
    ASSERT_EQ(tonvex_session_new(&c), TONVEX_OK);
    ASSERT_EQ(tonvex_source_memory(file.data(), file.size(), &in), TONVEX_OK);
    tonvex_set(c, "ber", 0.001);
    tonvex_seed(c, 3);
    uint8_t* memory = nullptr;
    size_t size = 0;
    ASSERT_EQ(tonvex_scale_memory(c, in, &memory, &size), TONVEX_OK);
    EXPECT_EQ(bytes(memory, memory + size), scaled);
    tonvex_free(memory);
    tonvex_streaminfo info;
    EXPECT_EQ(tonvex_inspect(c, in, &info), TONVEX_OK);
    EXPECT_EQ(info.frames, tonvex::inspect(sources[0]).frames);
    tonvex_source_free(in);
    tonvex_session_free(c);

    const struct {
        tonvex::source in;
        const char* message;
    } failures[] = {
        {tonvex::source::memory(nullptr, 0), "no frame header found in bitstream file"},
        {tonvex::source::callback([](void*, size_t) { return std::ptrdiff_t{-1}; }),
         "cannot read bitstream source"},
        {tonvex::source::file((dir / "none.ztb").string()), "cannot find bitstream file"},
    };
    for (const auto& f : failures) {
        EXPECT_EQ(tonvex::inspect(f.in).messages, std::vector<std::string>{f.message});
        EXPECT_EQ(session.decode(f.in, out + ".wav").messages, std::vector<std::string>{f.message});
    }
}

// The stream cut at its headers' lengths (an intact stream: no resynchronisation).
std::vector<std::vector<std::uint16_t>> frames(const std::string& path, int jointcoding) {
    const bytes b = readall(path);
    std::vector<std::uint16_t> all(b.size() / 2 + 1);
    for (size_t i = 0; i + 1 < all.size(); ++i)
        all[i] = static_cast<std::uint16_t>(b[2 * i] | b[2 * i + 1] << 8);
    decodeheader header;
    header.config.jointcoding = jointcoding;
    header.headerwords = headerwords_for(header.config.weighton, header.config.weightmode, jointcoding);
    header.wordlimit = all.data() + all.size();
    std::vector<std::vector<std::uint16_t>> out;
    for (size_t at = 0; at + 8 < all.size(); at += out.back().size()) {
        header.wordbuf = all.data() + at;
        header.read();
        out.emplace_back(header.wordbuf, header.wordbuf + header.framewords);
    }
    return out;
}

class framedecoding : public ::testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(framedecoding, GivesTheWholeFileDecodeAndConcealsDamagedAndMissingFramesAlike) {
    const auto [name, jointcoding] = GetParam();
    tonvex::session session;
    session.set("jointcoding", jointcoding);
    session.set("errorsenabled", 0); // no error draws: the dither draws stay in step
    const auto cut = frames(vector(name), jointcoding);
    samples whole, byframe;
    ASSERT_TRUE(session.decode(tonvex::source::file(vector(name)), keep(whole)).completed);
    session.seed(1);
    tonvex::framedecoder decoder(cut[0].data(), cut[0].size(), &session);
    tonvex::framedecoder damaged(cut[0].data(), cut[0].size(), &session);
    tonvex::framedecoder missing(cut[0].data(), cut[0].size(), &session);
    ASSERT_TRUE(decoder.valid()) << decoder.error();
    for (std::vector<std::uint16_t> f : cut) {
        const samples pcm = decoder.decode(f.data(), f.size());
        byframe.insert(byframe.end(), pcm.begin(), pcm.end());
        // A frame with a flipped header bit, and one cut short, are concealed like a missing one.
        const size_t i = byframe.size() / pcm.size();
        f[2] ^= i == 2 ? 0x0100 : 0;
        const size_t n = f.size() - (i == 3 ? 1 : 0);
        EXPECT_EQ(damaged.decode(f.data(), n),
                  i == 2 || i == 3 ? missing.lost() : missing.decode(f.data(), n));
    }
    EXPECT_EQ(byframe, whole);

    tonvex_framedecoder* c = nullptr;
    ASSERT_EQ(tonvex_framedecoder_new(nullptr, cut[0].data(), cut[0].size(), &c), TONVEX_OK);
    int channels = 0, rate = 0;
    std::int16_t pcm[2048];
    size_t count = 0;
    tonvex_framedecoder_layout(c, &channels, &rate);
    EXPECT_EQ(tonvex_framedecoder_decode(c, nullptr, 0, pcm, 2048, &count), TONVEX_OK);
    EXPECT_EQ(count, static_cast<size_t>(channels * 1024));
    EXPECT_EQ(rate, decoder.samplerate());
    EXPECT_EQ(tonvex_framedecoder_decode(c, nullptr, 0, pcm, 10, &count), TONVEX_ERROR_ARGUMENT);
    tonvex_framedecoder_free(c);
    const std::uint16_t garbage[8] = {1, 2, 3};
    EXPECT_EQ(tonvex_framedecoder_new(nullptr, garbage, 8, &c), TONVEX_ERROR_RUN);
}

INSTANTIATE_TEST_SUITE_P(streams, framedecoding,
                         ::testing::Values(std::pair{"v01-default-48s.ztb", 1},
                                           std::pair{"v05-separate-48s.ztb", 0}));

} // namespace
