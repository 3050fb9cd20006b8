// Exit statuses: 2 for a bad option or value (nothing runs), 1 for an operation that fails
// on its data or its files (the message on standard error), and never a partial or
// temporary output after a failure.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolrun.h"

namespace fs = std::filesystem;

namespace {

struct refusal {
    std::vector<std::string> args;
    int status;
    const char* message; // a part of standard error
};

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += a + " ";
    return text;
}

TEST(CliUsage, RefusalsGiveTheirStatusAndMessageAndWriteNothing) {
    scratchdir dir;
    writefile(dir / "song.wav", "RIFF");
    writefile(dir / "noise.ztb", std::string(500, '\x13'));
    writefile(dir / "riff.g192", "RIFF\x24\x00\x00\x00WAVE");
    writefile(dir / "odd.g192", std::string("\x7F\x00\x81", 3));
    const std::vector<refusal> cases = {
        {{"decode", "nothere.ztb"}, 1, "cannot find bitstream file"},
        {{"scale", "nothere.ztb"}, 1, "cannot find bitstream input file"},
        {{"info", "nothere.ztb"}, 1, "cannot find bitstream file"},
        {{"decode", "song.wav", "-o", "out.wav"}, 1, "invalid bitstream file format"},
        {{"scale", "-o", "out.bin"}, 1, "invalid bitstream output file format"},
        {{"info", "noise.ztb"}, 1, "no frame header found"},
        {{"encode", "nothere.wav"}, 1, ""},
        {{"encode", "song.wav"}, 1, "song.wav"},
        {{"decode", "--set", "ditherr=0"}, 2, "unknown setting \"ditherr\""},
        {{"decode", "--set", "ditherr=0"}, 2, " jointcoding"},
        {{"decode", "--set", "dither=2"}, 2, "--set"},
        {{"decode", "--set", "dither=0.5"}, 2, "--set"},
        {{"decode", "--set", "concealatten=inf"}, 2, "--set"},
        {{"decode", "--set", "=1"}, 2, "--set"},
        {{"decode", "--set", "dither=one"}, 2, "--set"},
        {{"decode", "--ber", "0.5"}, 2, "0 to 0.002"},
        {{"decode", "--ber", "0.0020001"}, 2, "--ber"},
        {{"decode", "--ber", "-1e-4"}, 2, "--ber"},
        {{"decode", "--ber", "nan"}, 2, "--ber"},
        {{"decode", "--ber", "1e-3x"}, 2, "--ber"},
        {{"decode", "--bitrate", "inf"}, 2, ""},
        {{"decode", "--bitrate", "-5"}, 2, ""},
        {{"decode", "--output-bitrate", "half"}, 2, ""},
        {{"decode", "--seed", "4294967296"}, 2, ""},
        {{"decode", "--bogus"}, 2, ""},
        {{"scale", "--ber", "1e-4"}, 2, ""},
        {{"encode"}, 2, ""},
        {{"info"}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{"scale", "-o", "wav/test.ztb"}, 2, "same file"},
        {{"scale", "-o", "wav/../wav/test.ztb"}, 2, "same file"},
        {{"decode", "-o", "wav/test.ztb"}, 2, "same file"},
        {{"encode", "wav/test.ztb"}, 2, ""},
        {{"encode", "song.wav", "--set", "weightmode=7"}, 2, ""},
        {{"decode", "--error-model", "gilbert", "--gamma", "1.5"}, 2, "gamma"},
        {{"decode", "--error-model", "gilbert", "--gamma", "-0.1"}, 2, "gamma"},
        {{"decode", "--error-model", "erasure", "--fer", "0.6"}, 2, ""},
        {{"decode", "--error-model", "erasure", "--fer", "nan"}, 2, ""},
        {{"decode", "--error-model", "bursty"}, 2, ""},
        {{"decode", "--error-model", "pattern"}, 2, ""},
        {{"decode", "--pattern", "riff.g192"}, 2, ""},
        {{"decode", "--pattern", "odd.g192"}, 2, ""},
        {{"decode", "--pattern", "missing.g192"}, 2, ""},
        {{"decode", "--fer", "0.1"}, 2, ""},
    };
    const std::string sample = readfile(dir / "wav/test.ztb");
    const std::vector<std::string> before = listdir(dir.path());
    for (const refusal& c : cases) {
        const toolrun run = dir.run(c.args);
        EXPECT_EQ(run.status, c.status) << joined(c.args);
        EXPECT_FALSE(run.err.empty()) << joined(c.args);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << joined(c.args) << ": " << run.err;
        EXPECT_EQ(listdir(dir.path()), before) << joined(c.args);
        EXPECT_EQ(listdir(dir / "wav").size(), 1u) << joined(c.args);
    }
    EXPECT_EQ(readfile(dir / "wav/test.ztb"), sample);
}

TEST(CliUsage, WriteFailuresGiveStatusOneAndLeaveNoTemporaryFile) {
    scratchdir dir;
    // /proc takes no new files, not even from root: the stand-in for a read-only folder.
    // A folder of the output's name makes the final rename fail.
    fs::create_directories(dir / "taken.wav" / "inside");
    fs::create_directories(dir / "taken_s.ztb" / "inside");
    const std::vector<std::vector<std::string>> cases = {
        {"decode", "-o", "missing/out.wav"},  {"scale", "-o", "missing/out_s.ztb"},
        {"decode", "-o", "/proc/tonvex.wav"}, {"scale", "-o", "/proc/tonvex_s.ztb"},
        {"decode", "-o", "taken.wav"},        {"scale", "-o", "taken_s.ztb", "--bitrate", "32"},
    };
    const std::vector<std::string> before = listdir(dir.path());
    for (const auto& args : cases) {
        const toolrun run = dir.run(args);
        EXPECT_EQ(run.status, 1) << joined(args);
        EXPECT_FALSE(run.err.empty()) << joined(args);
        EXPECT_EQ(listdir(dir.path()), before) << joined(args);
        EXPECT_EQ(listdir(dir / "taken.wav"), std::vector<std::string>{"inside"});
        EXPECT_EQ(listdir(dir / "wav").size(), 1u) << joined(args);
    }
}

TEST(CliUsage, NoArgumentsWithoutAWindowShowsTheHelp) {
#ifdef TONVEX_WITH_WINDOW
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"))
        GTEST_SKIP() << "this build opens the window without arguments";
#endif
    scratchdir dir;
    const toolrun run = dir.run({});
    EXPECT_EQ(run.status, 2);
    for (const char* command : {"decode", "scale", "encode", "info"})
        EXPECT_NE(run.out.find(command), std::string::npos);
}

} // namespace
