// tonvex scale and tonvex info on the bundled sample.
#include <gtest/gtest.h>

#include "toolrun.h"

namespace {

TEST(CliInfo, DescribesTheBundledSample) {
    scratchdir dir;
    const nlohmann::json info = dir.json("info wav/test.ztb");
    EXPECT_EQ(info.at("sample_rate"), 48000);
    EXPECT_EQ(info.at("channels"), 2);
    EXPECT_GT(info.at("frames").get<int>(), 200);
    EXPECT_EQ(info.at("frames"), info.at("frames_good"));
    EXPECT_EQ(info.at("damaged_headers"), 0);
    EXPECT_EQ(info.at("leading_bytes_skipped"), 0);
    EXPECT_NEAR(info.at("duration_seconds").get<double>(), 5.0, 0.2);
    EXPECT_NEAR(info.at("bitrate_kbps").at("mean").get<double>(), 96.0, 1.0);
    // The sample is made so that block switching shows: every block mode occurs.
    for (const char* mode : {"ALL_SHORT", "ALL_LONG", "LONG_SHORT", "SHORT_LONG"})
        EXPECT_GT(info.at("block_modes").at(mode).get<int>(), 0) << mode;
    EXPECT_GE(info.at("coded_bands").at("min").get<int>(), 1);
    const toolrun text = dir.run("info wav/test.ztb");
    EXPECT_NE(text.out.find("48000 Hz"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("ALL_SHORT"), std::string::npos) << text.out;
}

TEST(CliScale, CutsTheSampleToTheBitrateAskedOrKeepsTheEncodedOne) {
    scratchdir dir;
    const nlohmann::json report = dir.json("scale --bitrate 48");
    EXPECT_EQ(report.at("output"), "wav/test_s.ztb");
    EXPECT_EQ(report.at("rows")[2].at("label"), "output bitstream");
    EXPECT_NE(report.at("status").get<std::string>().find("bitrate scaling completed"), std::string::npos);
    ASSERT_EQ(dir.run("scale -o same.ztb").status, 0);
    const nlohmann::json before = dir.json("info wav/test.ztb");
    const double encoded = before.at("bitrate_kbps").at("mean");
    for (const auto& [name, rate] : {std::pair{"wav/test_s.ztb", 48.0}, std::pair{"same.ztb", encoded}}) {
        const nlohmann::json after = dir.json(std::string("info ") + name);
        EXPECT_EQ(after.at("frames"), before.at("frames")) << name;
        EXPECT_NEAR(after.at("bitrate_kbps").at("mean").get<double>(), rate, name[0] == 's' ? 0.5 : 1.0)
            << name;
    }
    // The scaled stream decodes.
    const toolrun decode = dir.run("decode wav/test_s.ztb --quiet");
    EXPECT_EQ(decode.status, 0) << decode.err;
    EXPECT_TRUE(decode.out.empty()) << decode.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "wav/test_s.wav"));
}

} // namespace
