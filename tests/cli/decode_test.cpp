// tonvex decode on the bundled sample: results as the panel shows them, the JSON report,
// repeatable bit errors, the event trace.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <regex>
#include <sstream>

#include "toolrun.h"

namespace {

uint32_t le32(const std::string& bytes, std::size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

nlohmann::json decodejson(const scratchdir& dir, std::vector<std::string> extra,
                          const std::string& out = "out.wav") {
    std::vector<std::string> args{"decode", "wav/test.ztb", "-o", out, "-f", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    const toolrun run = dir.run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out);
}

TEST(CliDecode, DefaultsDecodeTheBundledSampleBesideIt) {
    scratchdir dir;
    const toolrun run = dir.run({"decode"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err; // not a terminal: no bar, and no message
    EXPECT_NE(run.out.find("decoding completed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("input bitstream "), std::string::npos);
    EXPECT_NE(run.out.find("decoded bitrate "), std::string::npos);
    EXPECT_NE(run.out.find("bit error rate 0.0e+00"), std::string::npos) << run.out;

    const std::string wav = readfile(dir / "wav/test.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(wav, 24), 48000u);           // sample rate
    EXPECT_EQ(le32(wav, 40), wav.size() - 44);  // final data size, not the provisional 0
    EXPECT_EQ(listdir(dir / "wav").size(), 2u); // test.ztb and test.wav, nothing temporary
}

TEST(CliDecode, JsonReportsRowsCountsAndTiming) {
    scratchdir dir;
    const nlohmann::json report = decodejson(dir, {});
    EXPECT_TRUE(report.at("completed").get<bool>());
    EXPECT_NE(report.at("status").get<std::string>().find("decoding completed"), std::string::npos);
    const auto& rows = report.at("rows");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].at("kind"), 4);
    EXPECT_EQ(rows[1].at("label"), "input bitstream");
    EXPECT_EQ(rows[2].at("label"), "decoded bitrate");
    EXPECT_EQ(rows[4].at("label"), "bit error rate");
    // The sample is encoded at 96 kbit/s; the decoded rate equals the input rate here.
    EXPECT_NEAR(rows[1].at("value").get<double>(), 96.0, 1.0);
    EXPECT_EQ(rows[1].at("value"), rows[2].at("value"));
    char text[64];
    std::snprintf(text, sizeof text, "input bitstream %.1f kbit/s",
                  std::round(rows[1].at("value").get<double>() * 10.0) / 10.0);
    EXPECT_EQ(rows[1].at("text"), text);

    EXPECT_GT(report.at("frames_written").get<int>(), 100);
    EXPECT_EQ(report.at("frames_lost"), 0);
    EXPECT_EQ(report.at("frames_concealed"), 0);
    EXPECT_EQ(report.at("bits_flipped"), 0);
    const int64_t inspected = report.at("bits_inspected");
    EXPECT_GT(inspected, 0);
    EXPECT_EQ(report.at("measured_ber"), "0 of " + std::to_string(inspected) + " bits");
    EXPECT_GE(report.at("elapsed_seconds").get<double>(), 0.0);
    EXPECT_GE(report.at("realtime_ratio").get<double>(), 0.0);
    EXPECT_NEAR(report.at("stream_seconds").get<double>(), 5.0, 0.2);
    EXPECT_EQ(report.at("seed"), 1);
}

TEST(CliDecode, SeedMakesBitErrorsRepeatable) {
    scratchdir dir;
    const nlohmann::json first = decodejson(dir, {"--ber", "1e-3", "--seed", "7"}, "a.wav");
    const nlohmann::json again = decodejson(dir, {"--ber", "1e-3", "--seed", "7"}, "b.wav");
    const nlohmann::json other = decodejson(dir, {"--ber", "1e-3", "--seed", "8"}, "c.wav");
    EXPECT_EQ(first.at("seed"), 7);
    EXPECT_GT(first.at("bits_flipped").get<int>(), 0);
    EXPECT_EQ(first.at("bits_flipped"), again.at("bits_flipped"));
    EXPECT_EQ(first.at("frames_lost"), again.at("frames_lost"));
    EXPECT_EQ(readfile(dir / "a.wav"), readfile(dir / "b.wav"));
    EXPECT_NE(readfile(dir / "a.wav"), readfile(dir / "c.wav"));

    // Around 1e-3 of the inspected bits flip (a binomial count: well within 5 sigma).
    const double n = first.at("bits_inspected");
    const double k = first.at("bits_flipped");
    EXPECT_NEAR(k, 1e-3 * n, 5.0 * std::sqrt(1e-3 * n));
}

TEST(CliDecode, EventsTraceWhereErrorsStruck) {
    scratchdir dir;
    const toolrun run = dir.run({"decode", "-o", "out.wav", "--ber", "2e-3", "--seed", "3", "--events"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("seed 3\n", 0), 0u) << run.out.substr(0, 200);
    const std::regex line(
        R"(frame \d+ at \d+\.\d{3} s: (damaged header|resync by .*, \d+ words skipped|skipped frame|erased frame|pass CRC failed, .*|concealed frame, .*))");
    int events = 0;
    std::istringstream lines(run.out);
    for (std::string text; std::getline(lines, text);)
        if (text.rfind("frame ", 0) == 0) {
            EXPECT_TRUE(std::regex_match(text, line)) << text;
            ++events;
        }
    EXPECT_GT(events, 0);

    // The same events, structured, in the JSON report.
    const nlohmann::json report = decodejson(dir, {"--ber", "2e-3", "--seed", "3", "--events"});
    EXPECT_EQ(report.at("events").size(), static_cast<std::size_t>(events));
    EXPECT_EQ(report.at("seed"), 3);
}

TEST(CliDecode, BitrateImpliesScaledOutputBitrate) {
    scratchdir dir;
    const nlohmann::json scaled = decodejson(dir, {"--bitrate", "48"});
    EXPECT_NEAR(scaled.at("rows")[2].at("value").get<double>(), 48.0, 1.0);
    const nlohmann::json encoded = decodejson(dir, {"--bitrate", "48", "--output-bitrate", "encoded"});
    EXPECT_EQ(encoded.at("rows")[2].at("value"), encoded.at("rows")[1].at("value"));
}

TEST(CliDecode, SetOverridesDocumentSettings) {
    scratchdir dir;
    decodejson(dir, {"--set", "dither=0", "--seed", "5"}, "a.wav");
    decodejson(dir, {"--seed", "5"}, "b.wav");
    const std::string undithered = readfile(dir / "a.wav");
    const std::string dithered = readfile(dir / "b.wav");
    ASSERT_EQ(undithered.size(), dithered.size());
    EXPECT_NE(undithered, dithered);
}

} // namespace
