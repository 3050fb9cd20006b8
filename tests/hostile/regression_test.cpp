// Every input a fuzzer ever found a fault with (fuzz/regressions/<entry>/), and the seed
// corpora, replayed through their entry points. A fault aborts the test with the sanitizer's or the check's
// report.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "fuzz/fuzzentries.h"
#include "tests/support/files.h"

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
            const std::vector<uint8_t> bytes = readbytes(file.path().string());
            SCOPED_TRACE(file.path().string());
            EXPECT_EQ(entry.run(bytes.data(), bytes.size()), 0);
            replayed += 1;
        }
    }
    return replayed;
}

} // namespace

// The seed corpora are real streams in every configuration: they keep the entry points
// themselves from drifting away from the decoders they drive.
TEST(fuzzregressions, FoundInputsAndSeedsReplayClean) {
    const fs::path fuzz = fs::path(TONVEX_SOURCE_DIR) / "fuzz";
    replay(fuzz / "regressions");
    EXPECT_GT(replay(fuzz / "seeds"), 0);
}

// Random inputs, from empty to a few thousand bytes: settings, header fields and payloads
// that no encoder makes, through every entry and so every decoder, driver and the scaler.
TEST(fuzzregressions, EntriesTakeRandomInputs) {
    std::mt19937 random(11);
    for (const namedfuzzentry& entry : fuzzentries()) {
        SCOPED_TRACE(entry.name);
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<uint8_t> bytes(trial < 8 ? trial : random() % 3000);
            for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
            ASSERT_EQ(entry.run(bytes.data(), bytes.size()), 0) << "trial " << trial;
        }
    }
}
