// tonvex compare on decodes of the bundled sample: identical files, a damaged decode lined
// up by search, the plot files, and bad requests refused.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "toolrun.h"

namespace {

void decode(const scratchdir& dir, const std::string& out, const std::string& ber) {
    ASSERT_EQ(dir.run({"decode", "wav/test.ztb", "-o", out, "--set", "dither=0", "--ber", ber, "--seed", "3",
                       "--json", "--events"})
                  .status,
              0);
}

TEST(comparecommand, measuresidenticalanddamageddecodes) {
    const scratchdir dir;
    decode(dir, "clean.wav", "0");
    decode(dir, "damaged.wav", "1e-4");
    const toolrun same = dir.run({"compare", "clean.wav", "clean.wav", "--delay", "0", "--json"});
    ASSERT_EQ(same.status, 0) << same.err;
    const auto s = nlohmann::json::parse(same.out);
    EXPECT_TRUE(s["overall"]["snr_db"].is_null());
    EXPECT_EQ(s["overall"]["segsnr_db"], 35.0);
    EXPECT_EQ(s["overall"]["identical"], 1.0);

    const toolrun hurt =
        dir.run({"compare", "clean.wav", "damaged.wav", "--align", "search", "--json", "--per-frame"});
    ASSERT_EQ(hurt.status, 0) << hurt.err;
    const auto h = nlohmann::json::parse(hurt.out);
    EXPECT_EQ(h["delay"], 0);
    EXPECT_LT(h["overall"]["segsnr_db"].get<double>(), 35.0);
    EXPECT_EQ(h["frames"].size(), 2u * (h["samples"].get<size_t>() / 1024));

    const toolrun plot = dir.run({"compare", "clean.wav", "damaged.wav", "--delay", "0", "--plot", "f.svg"});
    EXPECT_EQ(plot.status, 0) << plot.err;
    for (const char* name : {"f.svg", "f.svg.dat", "f.svg.gp"})
        EXPECT_TRUE(std::filesystem::exists(dir / name));
}

TEST(comparecommand, refusesbadrequests) {
    const scratchdir dir;
    decode(dir, "clean.wav", "0");
    writefile(dir / "taken.svg", "keep");
    EXPECT_EQ(dir.run({"compare", "clean.wav", "missing.wav"}).status, 1);
    EXPECT_EQ(dir.run({"compare", "clean.wav", "clean.wav", "--align", "search", "--delay", "5"}).status, 2);
    EXPECT_EQ(dir.run({"compare", "clean.wav", "clean.wav", "--plot", "taken.svg"}).status, 2);
    EXPECT_EQ(readfile(dir / "taken.svg"), "keep");
    EXPECT_EQ(dir.run({"compare", "clean.wav", "clean.wav", "--plot", "x.pdf"}).status, 2);
}

} // namespace
