// What the command line says beside its results: refused option combinations, the value
// used where the one asked for cannot be, a misconfigured decode, honest error figures.
#include <gtest/gtest.h>

#include "toolrun.h"

namespace {

const std::filesystem::path vectors = std::filesystem::path(TONVEX_SOURCE_DIR) / "tests/vectors";

struct warningcase {
    const char* args;
    int status;
    const char* err; // a part of standard error; nullptr: nothing on standard error
};

class CliWarnings : public ::testing::TestWithParam<warningcase> {};

TEST_P(CliWarnings, StatusAndMessage) {
    scratchdir dir;
    std::filesystem::copy_file(vectors / "v01-default-48s.wav", dir / "in.wav");
    std::filesystem::copy_file(vectors / "v05-separate-48s.ztb", dir / "separate.ztb");
    writefile(dir / "p.g192", std::string(64, '\x7F'));
    const toolrun run = dir.run(GetParam().args);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    if (GetParam().err) {
        EXPECT_NE(run.err.find(GetParam().err), std::string::npos) << run.err;
    } else {
        EXPECT_EQ(run.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliWarnings,
    ::testing::Values(warningcase{"decode --ber 1e-4 --error-model erasure", 2, "--ber does not apply"},
                      warningcase{"decode --ber 1e-4 --pattern p.g192", 2, "--ber does not apply"},
                      warningcase{"decode --ber 1e-4 -o x.wav", 0, "effective rate of 0.00012207"},
                      warningcase{"encode in.wav --bitrate 1", 0, "using 6.75 kbit/s"},
                      warningcase{"encode in.wav --bitrate 2000", 0, "using 383.25 kbit/s"},
                      warningcase{"scale -o x.ztb --bitrate 50", 0, "using 50.25 kbit/s"},
                      warningcase{"decode separate.ztb", 0, "tonvex probe separate.ztb"},
                      warningcase{"decode separate.ztb --set jointcoding=0", 0, nullptr},
                      // Frames too short for their first pass are concealed for want of bits, not damage.
                      warningcase{"decode -o low.wav --bitrate 6", 0, nullptr}));

TEST(CliWarnings, VersionAndHelpRanges) {
    scratchdir dir;
    const toolrun version = dir.run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tonvex ", 0), 0u) << version.out;
    const toolrun help = dir.run("encode --help");
    for (const char* part :
         {"default 128", "8 to 511 words", "11.025, 12, 16, 22.05, 24, 32, 44.1 or 48 kHz"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
}

TEST(CliWarnings, ErrorFiguresAreHonest) {
    scratchdir dir;
    EXPECT_EQ(dir.json("decode -o b.wav --ber 1e-4")["error_model"]["effective_ber"], 4.0 / 32768.0);

    // A clean scaled stream: its last passes lose their CRC words to the budget, which
    // is no failure.
    ASSERT_EQ(dir.run("scale -o s.ztb --bitrate 48 --quiet").status, 0);
    const nlohmann::json scaled = dir.json("decode s.ztb -o s.wav");
    EXPECT_EQ(scaled["pass_crc_failures"], 0);
    EXPECT_GT(scaled["passes_cut"].get<int>(), 0);
}

} // namespace
