// A decode gives the same bytes, messages, events, progress, counts and random state with
// 1, 2 and 4 threads, under every error model, in both coding modes, and when it stops
// early (output limit, failed write, cut input). Under ThreadSanitizer (the tsan preset)
// it also proves the two stages share nothing unguarded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "engine/io/g192.h"
#include "engine/streamjob.h"
#include "tests/support/scratchdir.h"

namespace {

struct decodecase {
    const char* name;
    const char* stream; // a vector, four times over (the index gaps lose frames too)
    int32_t jointcoding, errormodel;
    double ber, fer;
    int64_t cutbytes = 0;      // input cut short by that many bytes
    uint64_t wavdatalimit = 0; // 0: none
    bool tofullfile = false;   // output to /dev/full: a write fails mid-run
};

const decodecase cases[] = {
    {"clean", "v01-default-48s.ztb", 1, 0, 0.0, 0.0},
    {"independent", "v01-default-48s.ztb", 1, 0, 0.001, 0.0},
    {"gilbertseparate", "v05-separate-48s.ztb", 0, 1, 0.001, 0.0},
    {"erasureseparate", "v05-separate-48s.ztb", 0, 2, 0.0, 0.2},
    {"erasurejoint", "v01-default-48s.ztb", 1, 2, 0.0, 0.2},
    {"patternjoint", "v13-ber-48s.ztb", 1, 3, 0.0, 0.0},
    {"patternseparate", "v05-separate-48s.ztb", 0, 3, 0.0, 0.0},
    {"cutinput", "v01-default-48s.ztb", 1, 0, 0.001, 0.0, 101},
    {"toolarge", "v01-default-48s.ztb", 1, 0, 0.001, 0.0, 0, 50 * 4096 + 100},
    {"writefails", "v05-separate-48s.ztb", 0, 2, 0.0, 0.2, 0, 0, true},
};

struct outcome {
    std::vector<char> bytes;
    std::vector<std::string> messages;
    std::vector<std::tuple<int, int64_t, int32_t, int64_t, int32_t, int32_t>> events;
    std::vector<int32_t> progress;
    std::vector<int64_t> counts;
    bool operator==(const outcome&) const = default;
};

outcome decode(const decodecase& c, const std::filesystem::path& dir, int32_t threads) {
    const std::filesystem::path in = dir / "in.ztb", out = dir / ("out" + std::to_string(threads) + ".wav");
    std::ifstream vector(std::string(TONVEX_VECTOR_DIR) + "/" + c.stream, std::ios::binary);
    const std::string once{std::istreambuf_iterator<char>(vector), std::istreambuf_iterator<char>()};
    const std::string stream = once + once + once + once;
    std::ofstream(in, std::ios::binary).write(stream.data(), std::ssize(stream) - c.cutbytes);
    // Every 997th bit flipped, or every 7th frame erased.
    errorpattern pattern{c.jointcoding == 1 ? errorpattern::bits : errorpattern::frames, {}};
    for (size_t i = 0; i < (c.jointcoding == 1 ? stream.size() * 8 : 200); i++)
        pattern.marks.push_back(i % (c.jointcoding == 1 ? 997 : 7) == 3 ? 1 : 0);
    EXPECT_TRUE(writepattern((dir / "p.g192").string(), pattern));

    outcome o;
    streamjob job;
    job.random.seed(77);
    job.threads = threads;
    job.bitstreampath = in.string();
    job.wavpath = c.tofullfile ? "/dev/full" : out.string();
    job.config.jointcoding = c.jointcoding;
    job.errormodel = c.errormodel;
    job.ber = c.ber;
    job.fer = c.fer;
    job.gamma = c.errormodel == 0 ? 0.0 : 0.5;
    job.patternpath = (dir / "p.g192").string();
    if (c.wavdatalimit != 0) job.wavdatalimit = c.wavdatalimit;
    job.hooks.messages = messagesink([&o](const std::string& text) { o.messages.push_back(text); });
    job.hooks.progress = [&o](int32_t percent) { o.progress.push_back(percent); };
    job.hooks.event = [&o](const driveevent& e) {
        o.events.emplace_back(e.kind, e.frame, e.way, e.words, e.channel, e.crcerrorpos);
    };
    job.decodeZAT();
    const drivestats& s = job.stats;
    o.counts = {s.frameshandled, s.frameswritten,    s.frameslost,       s.framesconcealed, s.passcrcfailures,
                s.crcintact,     s.frameserased,     s.frameoffset,      s.bursts.hits(),   job.nbiterrors,
                job.nbitsseen,   job.random.state(), s.completed ? 1 : 0};
    std::ifstream written(out, std::ios::binary);
    o.bytes.assign(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>());
    return o;
}

class Pipeline : public ::testing::TestWithParam<decodecase> {};

} // namespace

TEST_P(Pipeline, AnyThreadCountGivesTheSameRun) {
    const std::filesystem::path dir = freshtestdir(std::string("tonvex_pipeline_") + GetParam().name);
    const outcome one = decode(GetParam(), dir, 1);
    EXPECT_FALSE(one.bytes.empty() && !GetParam().tofullfile);
    EXPECT_EQ(one.messages.empty(),
              GetParam().cutbytes == 0 && GetParam().wavdatalimit == 0 && !GetParam().tofullfile);
    for (const int32_t threads : {2, 4}) EXPECT_EQ(decode(GetParam(), dir, threads), one) << threads;
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Models, Pipeline, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });
