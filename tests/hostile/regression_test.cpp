// Every input a fuzzer ever found a fault with (fuzz/regressions/<entry>/), and the seed
// corpora, replayed through their entry points. A fault aborts the test with the sanitizer's or the check's
// report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzzentries.h"

namespace fs = std::filesystem;

namespace {

// Replays every file of root/<entry name>/ through its entry point; returns the count.
int replay(const fs::path& root) {
    int replayed = 0;
    for (const namedfuzzentry& entry : fuzzentries()) {
        const fs::path folder = root / entry.name;
        if (!fs::is_directory(folder)) continue;
        for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
            if (!file.is_regular_file()) continue;
            std::ifstream in(file.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                             std::istreambuf_iterator<char>()};
            SCOPED_TRACE(file.path().string());
            EXPECT_EQ(entry.run(bytes.data(), bytes.size()), 0);
            replayed += 1;
        }
    }
    return replayed;
}

} // namespace

TEST(fuzzregressions, EveryFoundInputReplaysClean) {
    RecordProperty("replayed", replay(fs::path(TONVEX_SOURCE_DIR) / "fuzz" / "regressions"));
}

// The seed corpora are real streams in every configuration: they keep the entry points
// themselves from drifting away from the decoders they drive.
TEST(fuzzregressions, SeedsReplayClean) {
    EXPECT_GT(replay(fs::path(TONVEX_SOURCE_DIR) / "fuzz" / "seeds"), 0);
}

TEST(fuzzregressions, EntriesTakeEmptyAndTinyInputs) {
    const uint8_t some[] = {0xFD, 0xDF, 0xFF, 0xFF, 0x00, 0x01, 0x80};
    for (const namedfuzzentry& entry : fuzzentries()) {
        SCOPED_TRACE(entry.name);
        for (size_t n = 0; n <= sizeof some; ++n) EXPECT_EQ(entry.run(some, n), 0);
    }
}
