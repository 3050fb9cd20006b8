// tonvex scale and tonvex info on the bundled sample.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "toolrun.h"

namespace {

nlohmann::json infojson(const scratchdir& dir, const std::string& file) {
    const toolrun run = dir.run({"info", file, "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out);
}

TEST(CliInfo, DescribesTheBundledSample) {
    scratchdir dir;
    const nlohmann::json info = infojson(dir, "wav/test.ztb");
    EXPECT_EQ(info.at("sample_rate"), 48000);
    EXPECT_EQ(info.at("channels"), 2);
    EXPECT_GT(info.at("frames").get<int>(), 200);
    EXPECT_EQ(info.at("frames"), info.at("frames_good"));
    EXPECT_EQ(info.at("damaged_headers"), 0);
    EXPECT_EQ(info.at("leading_bytes_skipped"), 0);
    EXPECT_NEAR(info.at("duration_seconds").get<double>(), 5.0, 0.2);
    EXPECT_NEAR(info.at("bitrate_kbps").at("mean").get<double>(), 96.0, 1.0);
    EXPECT_LE(info.at("frame_words").at("min").get<int>(), info.at("frame_words").at("max").get<int>());
    // The sample is made so that block switching shows: every block mode occurs.
    for (const char* mode : {"ALL_SHORT", "ALL_LONG", "LONG_SHORT", "SHORT_LONG"})
        EXPECT_GT(info.at("block_modes").at(mode).get<int>(), 0) << mode;
    EXPECT_GE(info.at("coded_bands").at("min").get<int>(), 1);

    const toolrun text = dir.run({"info", "wav/test.ztb"});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("48000 Hz"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("ALL_SHORT"), std::string::npos) << text.out;
}

TEST(CliScale, CutsTheSampleToALowerBitrate) {
    scratchdir dir;
    const toolrun run = dir.run({"scale", "--bitrate", "48", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report.at("output"), "wav/test_s.ztb");
    EXPECT_EQ(report.at("rows")[1].at("label"), "input bitstream");
    EXPECT_EQ(report.at("rows")[2].at("label"), "output bitstream");
    EXPECT_NEAR(report.at("rows")[2].at("value").get<double>(), 48.0, 1.0);
    EXPECT_NE(report.at("status").get<std::string>().find("bitrate scaling completed"), std::string::npos);

    const nlohmann::json before = infojson(dir, "wav/test.ztb");
    const nlohmann::json after = infojson(dir, "wav/test_s.ztb");
    EXPECT_EQ(after.at("frames"), before.at("frames"));
    EXPECT_NEAR(after.at("bitrate_kbps").at("mean").get<double>(), 48.0, 1.0);
    EXPECT_LT(readfile(dir / "wav/test_s.ztb").size(), readfile(dir / "wav/test.ztb").size());

    // The scaled stream decodes.
    const toolrun decode = dir.run({"decode", "wav/test_s.ztb", "--quiet"});
    EXPECT_EQ(decode.status, 0) << decode.err;
    EXPECT_TRUE(decode.out.empty()) << decode.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "wav/test_s.wav"));
}

TEST(CliScale, WithoutBitrateKeepsTheEncodedRate) {
    scratchdir dir;
    const toolrun run = dir.run({"scale", "-o", "same.ztb"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("bitrate scaling completed"), std::string::npos) << run.out;
    const nlohmann::json before = infojson(dir, "wav/test.ztb");
    const nlohmann::json after = infojson(dir, "same.ztb");
    EXPECT_EQ(after.at("frames"), before.at("frames"));
    EXPECT_NEAR(after.at("bitrate_kbps").at("mean").get<double>(),
                before.at("bitrate_kbps").at("mean").get<double>(), 0.5);
}

} // namespace
