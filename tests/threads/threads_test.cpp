// Sessions share nothing: four decodes and scales of different streams, each with its own
// settings and seed, run on four threads at once and give the same bytes as run one after
// the other. Under ThreadSanitizer (the tsan preset) it also proves the runs never touch
// common state.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratchdir.h"
#include "tonvex/tonvex.hpp"

namespace {

struct job {
    const char* stream;
    bool scale;
    std::vector<std::pair<const char*, double>> settings;
    std::uint32_t seed;
};

const std::vector<job> jobs = {
    {"v01-default-48s.ztb", false, {{"ber", 0.001}}, 7},
    {"v05-separate-48s.ztb",
     false,
     {{"jointcoding", 0}, {"errormodel", 2}, {"fer", 0.2}, {"gamma", 0.5}},
     99},
    {"v02-sine-441m.ztb", false, {{"ber", 0.0005}, {"concealmethod", 2}}, 12345},
    {"v03-clicks-32s.ztb", true, {{"scaledbitrate", 40.0}, {"outputbitratemode", 1}}, 1},
};

std::vector<char> run(const job& j, const std::filesystem::path& out) {
    tonvex::session session;
    for (const auto& [name, value] : j.settings) EXPECT_TRUE(session.set(name, value)) << name;
    session.seed(j.seed);
    const std::string in = std::string(TONVEX_VECTOR_DIR) + "/" + j.stream;
    const tonvex::runresult r = j.scale ? session.scale(in, out.string()) : session.decode(in, out.string());
    EXPECT_TRUE(r.completed) << j.stream << (r.messages.empty() ? "" : ": " + r.messages.front());
    std::ifstream file(out, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(Threads, ConcurrentSessionsMatchSequentialRuns) {
    const std::filesystem::path dir = freshtestdir("tonvex_threads");
    auto name = [&](size_t i, const char* kind) {
        return dir / (kind + std::to_string(i) + (jobs[i].scale ? ".ztb" : ".wav"));
    };
    std::vector<std::vector<char>> sequential, concurrent(jobs.size());
    for (size_t i = 0; i < jobs.size(); i++) sequential.push_back(run(jobs[i], name(i, "seq")));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < jobs.size(); i++)
        threads.emplace_back([&, i] { concurrent[i] = run(jobs[i], name(i, "par")); });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < jobs.size(); i++) {
        EXPECT_FALSE(sequential[i].empty()) << jobs[i].stream;
        EXPECT_EQ(sequential[i], concurrent[i]) << jobs[i].stream;
    }
}
