// tonvex errpat: G.192 files with the marks of their model, a report that matches the
// file, and the same file again from the same seed. (The models' statistics are tested on
// the drivers, the refusals with the other usage errors.)
#include <gtest/gtest.h>

#include "toolrun.h"

namespace {

// The marks of a G.192 file: 1 for a flipped bit or an erased frame.
std::vector<int> marks(const std::string& bytes, uint16_t hit, uint16_t miss) {
    std::vector<int> result;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto w = static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                             static_cast<unsigned char>(bytes[at + 1]) << 8);
        EXPECT_TRUE(w == hit || w == miss) << at;
        result.push_back(w == hit ? 1 : 0);
    }
    return result;
}

TEST(CliErrorModels, ErrpatWritesTheMarksItReports) {
    scratchdir dir;
    const nlohmann::json report =
        dir.json("errpat --model gilbert --ber 0.01 --gamma 0.9 --length 40000 -o bits.g192");
    const std::vector<int> flips = marks(readfile(dir / "bits.g192"), 0x0081, 0x007F);
    ASSERT_EQ(flips.size(), 40000u);
    int flipped = 0, bursts = 0;
    for (size_t i = 0; i < flips.size(); i++) {
        flipped += flips[i];
        bursts += flips[i] && (i == 0 || !flips[i - 1]);
    }
    EXPECT_EQ(report.at("measured"), std::to_string(flipped) + " of 40000 bits");
    EXPECT_EQ(report.at("bursts").at("count"), bursts);

    for (const char* name : {"a", "b"})
        ASSERT_EQ(
            dir.run(words(std::string("errpat --model erasure --fer 0.1 --length 2000 -o ") + name + ".g192"))
                .status,
            0);
    EXPECT_EQ(marks(readfile(dir / "a.g192"), 0x6B20, 0x6B21).size(), 2000u);
    EXPECT_EQ(readfile(dir / "a.g192"), readfile(dir / "b.g192"));
}

} // namespace
