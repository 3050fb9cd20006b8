// The public interface reads a stream from a file, from memory and from a callback, and
// writes to a file, to memory and to a PCM callback: every combination gives the bytes
// of the plain file run, in C++ and through the C interface; inspection agrees too.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/scratchdir.h"
#include "tonvex/tonvex.h"
#include "tonvex/tonvex.hpp"

namespace {

using bytes = std::vector<std::uint8_t>;

bytes readall(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string stream = std::string(TONVEX_VECTOR_DIR) + "/v01-default-48s.ztb";

// Hands out the bytes in pieces of 1000, as a socket or decompressor would.
struct piecewise {
    const bytes& all;
    size_t at = 0;
    std::ptrdiff_t operator()(void* buffer, size_t size) {
        const size_t n = std::min({size, all.size() - at, size_t{1000}});
        std::memcpy(buffer, all.data() + at, n);
        at += n;
        return static_cast<std::ptrdiff_t>(n);
    }
};

class sources : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = freshtestdir("tonvex_api");
        session.set("ber", 0.001);
    }
    // The plain file run from a fresh random state, and what it wrote.
    bytes run(bool scale, const tonvex::source& in, const std::string& name) {
        session.seed(3);
        const std::string out = (dir / name).string();
        const tonvex::runresult r = scale ? session.scale(in, out) : session.decode(in, out);
        EXPECT_TRUE(r.completed) << name << (r.messages.empty() ? "" : ": " + r.messages.front());
        return readall(out);
    }

    std::filesystem::path dir;
    tonvex::session session;
    const bytes file = readall(stream);
};

TEST_F(sources, EverySourceAndOutputGivesTheFileRunsBytes) {
    for (const bool scale : {false, true}) {
        const char* name = scale ? "file_s.ztb" : "file.wav";
        const bytes expected = run(scale, tonvex::source::file(stream), name);
        ASSERT_GT(expected.size(), 44u);
        piecewise reader{file};
        const tonvex::source others[] = {tonvex::source::memory(file.data(), file.size()),
                                         tonvex::source::callback(std::ref(reader))};
        for (const tonvex::source& in : others) {
            EXPECT_EQ(run(scale, in, scale ? "other_s.ztb" : "other.wav"), expected) << in.kind();
            reader.at = 0;
            session.seed(3);
            bytes output;
            const tonvex::runresult r =
                scale ? session.scale(in, output)
                      : session.decode(in, [&output](const int16_t* s, size_t n, int, int) {
                            const auto* b = reinterpret_cast<const std::uint8_t*>(s);
                            output.insert(output.end(), b, b + 2 * n);
                            return true;
                        });
            EXPECT_TRUE(r.completed) << in.kind();
            EXPECT_EQ(output, bytes(expected.begin() + (scale ? 0 : 44), expected.end())) << in.kind();
            reader.at = 0;
        }
    }
}

TEST_F(sources, InspectionAndFailuresAlike) {
    const tonvex::streaminfo info = tonvex::inspect(tonvex::source::file(stream));
    EXPECT_TRUE(info.messages.empty());
    EXPECT_TRUE(info.walkedtoend);
    EXPECT_EQ(info.samplerate, 48000);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.frames, info.goodframes);
    EXPECT_EQ(info.filebytes, static_cast<std::int64_t>(file.size()));
    const tonvex::streaminfo memory = tonvex::inspect(tonvex::source::memory(file.data(), file.size()));
    EXPECT_EQ(memory.totalwords, info.totalwords);
    EXPECT_EQ(memory.frames, info.frames);

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
        const tonvex::runresult r = session.decode(f.in, (dir / "failed.wav").string());
        EXPECT_FALSE(r.completed);
        EXPECT_EQ(r.messages, std::vector<std::string>{f.message});
    }
}

TEST_F(sources, TheCInterfaceMirrorsThem) {
    tonvex_session* c = nullptr;
    tonvex_source* in = nullptr;
    ASSERT_EQ(tonvex_session_new(&c), TONVEX_OK);
    ASSERT_EQ(tonvex_source_memory(file.data(), file.size(), &in), TONVEX_OK);
    ASSERT_EQ(tonvex_set(c, "ber", 0.001), TONVEX_OK);
    tonvex_seed(c, 3);
    uint8_t* scaled = nullptr;
    size_t size = 0;
    ASSERT_EQ(tonvex_scale_memory(c, in, &scaled, &size), TONVEX_OK);
    EXPECT_EQ(bytes(scaled, scaled + size), run(true, tonvex::source::file(stream), "file_s.ztb"));
    tonvex_free(scaled);
    tonvex_seed(c, 3);
    bytes pcm;
    const auto keep = [](void* user, const int16_t* s, size_t n, int, int) {
        auto* out = static_cast<bytes*>(user);
        out->insert(out->end(), reinterpret_cast<const uint8_t*>(s), reinterpret_cast<const uint8_t*>(s + n));
        return 1;
    };
    ASSERT_EQ(tonvex_decode_pcm(c, in, keep, &pcm), TONVEX_OK);
    const bytes wav = run(false, tonvex::source::file(stream), "file.wav");
    EXPECT_EQ(pcm, bytes(wav.begin() + 44, wav.end()));
    tonvex_streaminfo info;
    ASSERT_EQ(tonvex_inspect(c, in, &info), TONVEX_OK);
    EXPECT_EQ(info.filebytes, static_cast<int64_t>(file.size()));
    EXPECT_EQ(tonvex_decode_pcm(c, in, nullptr, nullptr), TONVEX_ERROR_ARGUMENT);
    tonvex_source_free(in);
    tonvex_session_free(c);
}

} // namespace
