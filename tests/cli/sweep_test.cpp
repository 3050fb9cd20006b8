// tonvex sweep on the bundled sample: the same rows and summary whatever the number of
// jobs, shards or interruptions; the summary's statistics recomputed from the rows. (Bad
// grids and files of other columns are refused with the other usage errors.)
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "toolrun.h"

namespace {

const std::vector<std::string> grid = {"sweep",  "--bitrate", "64",  "--ber",
                                       "0,1e-3", "--seeds",   "1-2", "--quiet"};

std::vector<std::string> with(std::vector<std::string> extra) {
    std::vector<std::string> args = grid;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::vector<std::vector<std::string>> csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) rows.back().push_back(f);
    }
    return rows;
}

TEST(sweepcommand, sameresultsbyjobsshardsandresume) {
    const scratchdir dir;
    ASSERT_EQ(dir.run(with({"-o", "one.csv"})).status, 0);
    const std::string rows = readfile(dir / "one.csv"), summary = readfile(dir / "one.summary.csv");
    ASSERT_EQ(dir.run(with({"-o", "two.csv", "--jobs", "2"})).status, 0);
    EXPECT_EQ(readfile(dir / "two.csv"), rows);
    for (const char* k : {"0/2", "1/2"})
        ASSERT_EQ(dir.run(with({"--shard", k, "-o", std::string("part") + k[0] + ".jsonl", "--json"})).status,
                  0);
    ASSERT_EQ(dir.run({"sweep", "--merge", "merged.csv", "part1.jsonl", "part0.jsonl", "--quiet"}).status, 0);
    EXPECT_EQ(readfile(dir / "merged.csv"), rows);
    EXPECT_EQ(readfile(dir / "merged.summary.csv"), summary);
    writefile(dir / "resumed.csv",
              rows.substr(0, rows.find('\n', rows.find('\n') + 1) + 1)); // header, cell 0
    ASSERT_EQ(dir.run(with({"-o", "resumed.csv"})).status, 0);
    EXPECT_EQ(readfile(dir / "resumed.csv"), rows);

    // Mean and t-based 95% half-width of segsnr_clean over the two seeds at 1e-3.
    const auto r = csv(rows), s = csv(summary);
    ASSERT_EQ(r.size(), 5u);
    ASSERT_EQ(s.size(), 3u);
    const double a = std::stod(r[3][20]), b = std::stod(r[4][20]);
    EXPECT_NEAR(std::stod(s[2][29]), (a + b) / 2, 1e-4);
    EXPECT_NEAR(std::stod(s[2][30]), 12.7062 * std::abs(a - b) / 2, 1e-3);
    EXPECT_EQ(s[1][29], "35.0000"); // no errors: the decode is the clean one
}

} // namespace
