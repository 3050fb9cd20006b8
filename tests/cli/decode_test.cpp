// tonvex decode on the bundled sample: results as the panel shows them, the JSON report,
// repeatable bit errors, the event trace.
#include <gtest/gtest.h>

#include "toolrun.h"

namespace {

TEST(CliDecode, DefaultsDecodeTheBundledSampleBesideIt) {
    scratchdir dir;
    const toolrun run = dir.run({"decode"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err; // not a terminal: no bar, and no message
    EXPECT_NE(run.out.find("decoding completed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("bit error rate 0.0e+00"), std::string::npos) << run.out;
    const std::string wav = readfile(dir / "wav/test.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(le32(wav, 24), 48000u);           // sample rate
    EXPECT_EQ(le32(wav, 40), wav.size() - 44);  // final data size, not the provisional 0
    EXPECT_EQ(listdir(dir / "wav").size(), 2u); // test.ztb and test.wav, nothing temporary
}

TEST(CliDecode, JsonHasEveryDocumentedKey) {
    scratchdir dir;
    const nlohmann::json report = dir.json("decode -o out.wav --events --error-model gilbert --ber 1e-3");
    for (const std::string& key : words(
             "/input /status /completed /rows /frames_written /frames_lost /frames_skipped /frames_concealed "
             "/damaged_headers /pass_crc_failures /bits_flipped /bits_inspected /measured_ber "
             "/elapsed_seconds "
             "/realtime_ratio /seed /frames_erased /events /resyncs/damaged_length /resyncs/last_good_length "
             "/resyncs/sliding /error_model/name /error_model/measured /bursts/count /bursts/mean_length "
             "/bursts/lengths"))
        EXPECT_TRUE(report.contains(nlohmann::json::json_pointer(key))) << key;
    const auto& rows = report.at("rows");
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows)
        for (const char* key : {"kind", "label", "value", "unit", "text"})
            EXPECT_TRUE(row.contains(key)) << key;
    EXPECT_EQ(rows[1].at("label"), "input bitstream");
    EXPECT_EQ(rows[2].at("label"), "decoded bitrate");
    EXPECT_EQ(rows[4].at("label"), "bit error rate");
    // The sample is encoded at 96 kbit/s.
    EXPECT_NEAR(rows[1].at("value").get<double>(), 96.0, 1.0);
    const int64_t inspected = report.at("bits_inspected");
    EXPECT_EQ(report.at("measured_ber"), std::to_string(report.at("bits_flipped").get<int64_t>()) + " of " +
                                             std::to_string(inspected) + " bits");
    EXPECT_NEAR(report.at("stream_seconds").get<double>(), 5.0, 0.2);
}

TEST(CliDecode, SeedMakesBitErrorsRepeatable) {
    scratchdir dir;
    const nlohmann::json first = dir.json("decode -o a.wav --ber 1e-3 --seed 7");
    const nlohmann::json again = dir.json("decode -o b.wav --ber 1e-3 --seed 7");
    dir.json("decode -o c.wav --ber 1e-3 --seed 8");
    EXPECT_EQ(first.at("seed"), 7);
    EXPECT_GT(first.at("bits_flipped").get<int>(), 0);
    EXPECT_EQ(first.at("bits_flipped"), again.at("bits_flipped"));
    EXPECT_EQ(readfile(dir / "a.wav"), readfile(dir / "b.wav"));
    EXPECT_NE(readfile(dir / "a.wav"), readfile(dir / "c.wav"));
}

TEST(CliDecode, BitrateImpliesScaledOutputBitrate) {
    scratchdir dir;
    EXPECT_NEAR(dir.json("decode -o a.wav --bitrate 48").at("rows")[2].at("value").get<double>(), 48.0, 1.0);
    const nlohmann::json encoded = dir.json("decode -o b.wav --bitrate 48 --output-bitrate encoded");
    EXPECT_EQ(encoded.at("rows")[2].at("value"), encoded.at("rows")[1].at("value"));
}

} // namespace
