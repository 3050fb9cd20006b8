// tonvex compare on decodes of the bundled sample: identical files, a damaged decode lined
// up by search, the plot files, and bad requests refused.
#include <gtest/gtest.h>

#include "toolrun.h"

namespace {

TEST(comparecommand, measuresidenticalanddamageddecodes) {
    const scratchdir dir;
    for (const char* ber : {"0", "1e-4"})
        dir.json(std::string("decode -o ") + ber + ".wav --set dither=0 --seed 3 --events --ber " + ber);
    const auto s = dir.json("compare 0.wav 0.wav --delay 0");
    EXPECT_TRUE(s["overall"]["snr_db"].is_null());
    EXPECT_EQ(s["overall"]["segsnr_db"], 35.0);
    EXPECT_EQ(s["overall"]["identical"], 1.0);
    const auto h = dir.json("compare 0.wav 1e-4.wav --align search --per-frame");
    EXPECT_EQ(h["delay"], 0);
    EXPECT_LT(h["overall"]["segsnr_db"].get<double>(), 35.0);
    EXPECT_EQ(h["frames"].size(), 2u * (h["samples"].get<size_t>() / 1024));
    const toolrun plot = dir.run("compare 0.wav 1e-4.wav --delay 0 --plot f.svg");
    EXPECT_EQ(plot.status, 0) << plot.err;
    for (const char* name : {"f.svg", "f.svg.dat", "f.svg.gp"})
        EXPECT_TRUE(std::filesystem::exists(dir / name));

    writefile(dir / "taken.svg", "keep");
    EXPECT_EQ(dir.run("compare 0.wav missing.wav").status, 1);
    EXPECT_EQ(dir.run("compare 0.wav 0.wav --align search --delay 5").status, 2);
    EXPECT_EQ(dir.run("compare 0.wav 0.wav --plot taken.svg").status, 2);
    EXPECT_EQ(readfile(dir / "taken.svg"), "keep");
    EXPECT_EQ(dir.run("compare 0.wav 0.wav --plot x.pdf").status, 2);
}

} // namespace
