// Exit statuses and messages: 2 for a bad option or value (nothing runs), 1 for an
// operation that fails on its data (the drivers' message on standard error), and never
// an output that looks complete after a failure.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolrun.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliUsage, MissingInputFailsWithTheDriversMessage) {
    scratchdir dir;
    const toolrun run = dir.run({"decode", "nothere.ztb"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "cannot find bitstream file")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "nothere.wav"));
    EXPECT_EQ(listdir(dir.path()).size(), 1u); // only wav/: no output, nothing temporary

    const toolrun scale = dir.run({"scale", "nothere.ztb"});
    EXPECT_EQ(scale.status, 1);
    EXPECT_TRUE(contains(scale.err, "cannot find bitstream input file")) << scale.err;

    const toolrun info = dir.run({"info", "nothere.ztb"});
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(contains(info.err, "cannot find bitstream file")) << info.err;
}

TEST(CliUsage, NonZtbNameFails) {
    scratchdir dir;
    writefile(dir / "song.wav", "RIFF");
    const toolrun decode = dir.run({"decode", "song.wav", "-o", "out.wav"});
    EXPECT_EQ(decode.status, 1);
    EXPECT_TRUE(contains(decode.err, "invalid bitstream file format")) << decode.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));

    const toolrun scale = dir.run({"scale", "-o", "out.bin"});
    EXPECT_EQ(scale.status, 1);
    EXPECT_TRUE(contains(scale.err, "invalid bitstream output file format")) << scale.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
}

TEST(CliUsage, BadSetIsAUsageErrorListingValidNames) {
    scratchdir dir;
    const toolrun unknown = dir.run({"decode", "--set", "ditherr=0"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(contains(unknown.err, "unknown setting \"ditherr\"")) << unknown.err;
    EXPECT_TRUE(contains(unknown.err, " dither")) << unknown.err;
    EXPECT_TRUE(contains(unknown.err, " jointcoding")) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "wav/test.wav")); // nothing ran

    for (const char* bad : {"dither=2", "dither=0.5", "dither=nan", "concealatten=inf", "dither=", "dither",
                            "=1", "dither=one"}) {
        const toolrun run = dir.run({"decode", "--set", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_TRUE(contains(run.err, "--set")) << bad << ": " << run.err;
    }
}

TEST(CliUsage, BerOutsideItsRangeIsRefused) {
    scratchdir dir;
    for (const char* bad : {"0.01", "0.0020001", "-1e-4", "inf", "nan", "-inf", "1e-3x", "abc"}) {
        const toolrun run = dir.run({"decode", "--ber", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_TRUE(contains(run.err, "--ber")) << bad << ": " << run.err;
    }
    const toolrun range = dir.run({"decode", "--ber", "0.5"});
    EXPECT_TRUE(contains(range.err, "0 to 0.002")) << range.err;
    // Both ends of the range are valid rates.
    EXPECT_EQ(dir.run({"decode", "-o", "a.wav", "--ber", "0"}).status, 0);
    EXPECT_EQ(dir.run({"decode", "-o", "b.wav", "--ber", "0.002"}).status, 0);
}

TEST(CliUsage, OtherBadValuesAreUsageErrors) {
    scratchdir dir;
    const std::vector<std::vector<std::string>> bad = {
        {"decode", "--bitrate", "inf"},
        {"decode", "--bitrate", "-5"},
        {"decode", "--output-bitrate", "half"},
        {"decode", "--seed", "-1"},
        {"decode", "--seed", "4294967296"},
        {"decode", "--bogus"},
        {"scale", "--ber", "1e-4"},
        {"encode"},
        {"info"},
        {"frobnicate"},
    };
    for (const auto& args : bad) {
        const toolrun run = dir.run(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << args.back();
        EXPECT_FALSE(run.err.empty()) << args.back();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "wav/test.wav"));
}

TEST(CliUsage, SameFileAsInputAndOutputIsRefused) {
    scratchdir dir;
    const std::string before = readfile(dir / "wav/test.ztb");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"scale", "-o", "wav/test.ztb"},
                                                 {"scale", "-o", "wav/../wav/test.ztb"},
                                                 {"decode", "-o", "wav/test.ztb"}}) {
        const toolrun run = dir.run(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(contains(run.err, "same file")) << run.err;
    }
    EXPECT_EQ(readfile(dir / "wav/test.ztb"), before);
    const toolrun encode = dir.run({"encode", "wav/test.ztb"});
    EXPECT_EQ(encode.status, 2);
    EXPECT_EQ(readfile(dir / "wav/test.ztb"), before);
}

TEST(CliUsage, FailedRunKeepsAnEarlierOutputAndLeavesNoPartialOne) {
    scratchdir dir;
    const std::string sample = readfile(dir / "wav/test.ztb");
    // Cut in the middle of a frame: the drivers stop at the incomplete last frame.
    writefile(dir / "cut.ztb", sample.substr(0, sample.size() / 2 + 101));
    writefile(dir / "cut.wav", "an earlier result");
    const toolrun run = dir.run({"decode", "cut.ztb"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "incomplete input file frame read")) << run.err;
    EXPECT_EQ(readfile(dir / "cut.wav"), "an earlier result");

    const toolrun scale = dir.run({"scale", "cut.ztb", "--json"});
    EXPECT_EQ(scale.status, 1);
    EXPECT_TRUE(contains(scale.out, "\"completed\": false")) << scale.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "cut_s.ztb"));
    EXPECT_EQ(listdir(dir.path()).size(), 3u); // wav/, cut.ztb, cut.wav
}

TEST(CliUsage, NoArgumentsWithoutAWindowShowsTheHelp) {
#ifdef TONVEX_WITH_WINDOW
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"))
        GTEST_SKIP() << "this build opens the window without arguments";
#endif
    scratchdir dir;
    const toolrun run = dir.run({});
    EXPECT_EQ(run.status, 2);
    for (const char* command : {"decode", "scale", "encode", "info"}) EXPECT_TRUE(contains(run.out, command));
}

} // namespace
