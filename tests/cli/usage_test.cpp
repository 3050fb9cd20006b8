// Exit statuses: 2 for a bad option or value (nothing runs), 1 for an operation that fails
// on its data or its files, a missing folder or one that takes no files (the message on
// standard error), and never a partial or temporary output after a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "toolrun.h"

namespace fs = std::filesystem;

namespace {

// Commands refused with a status and a part of standard error.
struct refusals {
    int status;
    const char* message;
    const char* commands; // separated by "; "
};

TEST(CliUsage, RefusalsGiveTheirStatusAndMessageAndWriteNothing) {
    scratchdir dir;
    writefile(dir / "song.wav", "RIFF");
    writefile(dir / "noise.ztb", std::string(500, '\x13'));
    writefile(dir / "riff.g192", "RIFF\x24\x00\x00\x00WAVE");
    writefile(dir / "odd.g192", std::string("\x7F\x00\x81", 3));
    writefile(dir / "empty.ztb", "");
    writefile(dir / "other.csv", "cell,input\n");
    writefile(dir / "unknown.json", R"({"ber": [0], "seedz": "1-3"})");
    // /proc takes no new files, not even from root: the stand-in for a read-only folder.
    // A folder of the output's name makes the final rename fail.
    fs::create_directories(dir / "taken.wav" / "inside");
    fs::create_directories(dir / "taken_s.ztb" / "inside");
    const refusals cases[] = {
        {1, "cannot find bitstream file", "decode nothere.ztb; info nothere.ztb"},
        {1, "cannot find bitstream input file", "scale nothere.ztb"},
        {1, "invalid bitstream file format", "decode song.wav -o out.wav"},
        {1, "invalid bitstream output file format", "scale -o out.bin"},
        {1, "no frame header found", "info noise.ztb"},
        {1, "song.wav", "encode song.wav"},
        {1, "no configuration decodes", "probe empty.ztb"},
        {1, "", "encode nothere.wav; probe missing.ztb; decode empty.ztb --config auto"},
        {1, "",
         "decode -o missing/out.wav; scale -o missing/out_s.ztb; decode -o /proc/tonvex.wav; scale -o "
         "/proc/tonvex_s.ztb; decode -o taken.wav; scale -o taken_s.ztb --bitrate 32"},
        {2, "unknown setting \"ditherr\"", "decode --set ditherr=0"},
        {2, " jointcoding", "decode --set ditherr=0"},
        {2, "--set",
         "decode --set dither=2; decode --set dither=0.5; decode --set concealatten=inf; decode --set =1; "
         "decode --set dither=one"},
        {2, "0 to 0.002", "decode --ber 0.5"},
        {2, "--ber", "decode --ber 0.0020001; decode --ber -1e-4; decode --ber nan; decode --ber 1e-3x"},
        {2, "same file", "scale -o wav/test.ztb; scale -o wav/../wav/test.ztb; decode -o wav/test.ztb"},
        {2, "gamma", "decode --error-model gilbert --gamma 1.5; decode --error-model gilbert --gamma -0.1"},
        {2, "",
         "decode --bitrate inf; decode --bitrate -5; decode --output-bitrate half; decode --seed 4294967296; "
         "decode --bogus; scale --ber 1e-4; encode; info; frobnicate; encode wav/test.ztb; encode song.wav "
         "--set weightmode=7; decode --error-model erasure --fer 0.6; decode --error-model erasure --fer "
         "nan; decode --error-model bursty; decode --error-model pattern; decode --pattern riff.g192; decode "
         "--pattern odd.g192; decode --pattern missing.g192; decode --fer 0.1; decode --config guess"},
        {2, "",
         "sweep --grid unknown.json; sweep --fer 0.1; sweep --gamma 0.9; sweep --error-model erasure; sweep "
         "--ber "
         "0.5; sweep --bitrate 500; sweep --seeds 5-2; sweep --set dither=1; sweep --plot p.pdf; sweep "
         "--shard 2/2"},
    };
    const std::string sample = readfile(dir / "wav/test.ztb");
    const std::vector<std::string> before = listdir(dir.path());
    std::string args;
    for (const refusals& c : cases)
        for (std::istringstream list(c.commands); std::getline(list >> std::ws, args, ';');) {
            const toolrun run = dir.run(words(args));
            EXPECT_EQ(run.status, c.status) << args;
            EXPECT_FALSE(run.err.empty()) << args;
            EXPECT_NE(run.err.find(c.message), std::string::npos) << args << ": " << run.err;
            EXPECT_EQ(listdir(dir.path()), before) << args;
            EXPECT_EQ(listdir(dir / "wav").size(), 1u) << args;
        }
    EXPECT_EQ(readfile(dir / "wav/test.ztb"), sample);
    EXPECT_EQ(listdir(dir / "taken.wav"), std::vector<std::string>{"inside"});
    EXPECT_EQ(readfile(dir / "other.csv"), "cell,input\n"); // a file of other columns
}

TEST(CliUsage, NoArgumentsWithoutAWindowShowsTheHelp) {
#ifdef TONVEX_WITH_WINDOW
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"))
        GTEST_SKIP() << "this build opens the window without arguments";
#endif
    scratchdir dir;
    const toolrun run = dir.run("");
    EXPECT_EQ(run.status, 2);
    for (const char* command : {"decode", "scale", "encode", "info"})
        EXPECT_NE(run.out.find(command), std::string::npos);
}

} // namespace
