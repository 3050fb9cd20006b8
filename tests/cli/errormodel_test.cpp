// tonvex decode --error-model and tonvex errpat: the report of each model on the bundled
// sample, patterns written and applied, and bad parameters refused before any output.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <sstream>

#include "toolrun.h"

namespace {

nlohmann::json runjson(const scratchdir& dir, const std::vector<std::string>& args) {
    const toolrun run = dir.run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0 ? nlohmann::json::parse(run.out) : nlohmann::json::object();
}

nlohmann::json decodejson(const scratchdir& dir, std::vector<std::string> extra) {
    std::vector<std::string> args{"decode", "wav/test.ztb", "-o", "out.wav", "-f", "--json", "--events"};
    args.insert(args.end(), extra.begin(), extra.end());
    return runjson(dir, args);
}

std::vector<uint16_t> words(const std::string& bytes) {
    std::vector<uint16_t> result;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2)
        result.push_back(static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                               static_cast<unsigned char>(bytes[at + 1]) << 8));
    return result;
}

std::string bytesof(const std::vector<uint16_t>& values) {
    std::string bytes;
    for (const uint16_t w : values) {
        bytes.push_back(static_cast<char>(w & 0xFF));
        bytes.push_back(static_cast<char>(w >> 8));
    }
    return bytes;
}

// Frame numbers of one kind of event in a report.
std::set<int64_t> eventframes(const nlohmann::json& report, const std::string& kind) {
    std::set<int64_t> frames;
    for (const auto& e : report.at("events"))
        if (e.at("event") == kind) frames.insert(e.at("frame").get<int64_t>());
    return frames;
}

uint64_t fnv1a(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return hash;
}

} // namespace

TEST(CliErrorModels, DefaultModelIsTheIndependentOneAndUnchanged) {
    scratchdir dir;
    const nlohmann::json plain = decodejson(dir, {"--ber", "1e-3"});
    EXPECT_EQ(fnv1a(readfile(dir / "out.wav")), 0x1872f7c400eef5acull);
    const nlohmann::json named = decodejson(dir, {"--ber", "1e-3", "--error-model", "independent"});
    EXPECT_EQ(fnv1a(readfile(dir / "out.wav")), 0x1872f7c400eef5acull);
    EXPECT_EQ(plain.at("error_model").at("name"), "independent");
    EXPECT_EQ(plain.at("error_model").at("ber"), 1e-3);
    EXPECT_EQ(plain.at("error_model").at("measured"), plain.at("measured_ber"));
    EXPECT_EQ(named.at("bits_flipped"), plain.at("bits_flipped"));
    EXPECT_GE(plain.at("bursts").at("lengths").size(), 1u);
}

TEST(CliErrorModels, GilbertReportsBurstsOfFlippedBits) {
    scratchdir dir;
    const nlohmann::json report =
        decodejson(dir, {"--error-model", "gilbert", "--ber", "2e-3", "--gamma", "0.9"});
    const auto& model = report.at("error_model");
    EXPECT_EQ(model.at("name"), "gilbert");
    EXPECT_EQ(model.at("gamma"), 0.9);
    const int64_t flipped = report.at("bits_flipped");
    EXPECT_GT(flipped, 0);
    EXPECT_EQ(model.at("measured"), std::to_string(flipped) + " of " +
                                        std::to_string(report.at("bits_inspected").get<int64_t>()) + " bits");
    EXPECT_GT(report.at("bursts").at("mean_length").get<double>(), 3.0);
    int64_t hits = 0;
    for (const auto& [length, count] : report.at("bursts").at("lengths").items())
        hits += std::stoll(length) * count.get<int64_t>();
    EXPECT_EQ(hits, flipped);
}

TEST(CliErrorModels, ErasuresAreConcealedFrameForFrame) {
    scratchdir dir;
    const nlohmann::json report = decodejson(dir, {"--error-model", "erasure", "--fer", "0.1"});
    const int64_t frames = report.at("frames_written");
    const int64_t erased = report.at("frames_erased");
    EXPECT_NEAR(static_cast<double>(erased), 0.1 * frames, 4 * std::sqrt(frames * 0.09));
    EXPECT_EQ(report.at("frames_concealed"), erased);
    EXPECT_EQ(report.at("frames_lost"), 0);
    EXPECT_EQ(report.at("error_model").at("measured"),
              std::to_string(erased) + " of " + std::to_string(frames) + " frames");
    EXPECT_EQ(eventframes(report, "erased frame"), eventframes(report, "concealed frame"));
    EXPECT_EQ(static_cast<int64_t>(eventframes(report, "erased frame").size()), erased);
}

TEST(CliErrorModels, ErrpatFilesHaveTheStatisticsOfTheirModel) {
    scratchdir dir;
    const nlohmann::json bits = runjson(dir, {"errpat", "--model", "gilbert", "--ber", "0.01", "--gamma",
                                              "0.9", "--length", "400000", "-o", "bits.g192", "--json"});
    const auto bitwords = words(readfile(dir / "bits.g192"));
    ASSERT_EQ(bitwords.size(), 400000u);
    int64_t flipped = 0, bursts = 0;
    for (size_t i = 0; i < bitwords.size(); i++) {
        ASSERT_TRUE(bitwords[i] == 0x007F || bitwords[i] == 0x0081) << i;
        if (bitwords[i] == 0x0081) {
            flipped += 1;
            if (i == 0 || bitwords[i - 1] != 0x0081) bursts += 1;
        }
    }
    EXPECT_NEAR(static_cast<double>(flipped), 4000.0, 5 * std::sqrt(4e5 * 0.01 * 0.99 * 19.0));
    EXPECT_NEAR(static_cast<double>(flipped) / static_cast<double>(bursts), 1.0 / (0.99 * 0.1), 2.0);
    EXPECT_EQ(bits.at("measured"), std::to_string(flipped) + " of 400000 bits");
    EXPECT_EQ(bits.at("bursts").at("count"), bursts);

    const nlohmann::json frames = runjson(dir, {"errpat", "--model", "erasure", "--fer", "0.1", "--length",
                                                "20000", "-o", "frames.g192", "--json"});
    const auto framewords = words(readfile(dir / "frames.g192"));
    ASSERT_EQ(framewords.size(), 20000u);
    int64_t erased = 0;
    for (const uint16_t w : framewords) {
        ASSERT_TRUE(w == 0x6B21 || w == 0x6B20);
        erased += w == 0x6B20 ? 1 : 0;
    }
    EXPECT_NEAR(static_cast<double>(erased), 2000.0, 5 * std::sqrt(20000 * 0.09));
    EXPECT_EQ(frames.at("unit"), "frames");

    // The same seed makes the same pattern.
    runjson(dir, {"errpat", "--model", "erasure", "--fer", "0.1", "--length", "20000", "-o", "again.g192",
                  "--json"});
    EXPECT_EQ(readfile(dir / "again.g192"), readfile(dir / "frames.g192"));
}

TEST(CliErrorModels, FramePatternErasesExactlyItsFramesAndRepeats) {
    scratchdir dir;
    writefile(dir / "p.g192", bytesof({0x6B21, 0x6B20, 0x6B21, 0x6B21, 0x6B21}));
    const nlohmann::json report = decodejson(dir, {"--pattern", "p.g192"});
    EXPECT_EQ(report.at("error_model").at("name"), "pattern");
    EXPECT_EQ(report.at("error_model").at("pattern_kind"), "frames");
    std::set<int64_t> want;
    for (int64_t f = 1; f < report.at("frames_written").get<int64_t>(); f += 5) want.insert(f);
    EXPECT_EQ(eventframes(report, "erased frame"), want);
    EXPECT_EQ(eventframes(report, "concealed frame"), want);
}

TEST(CliErrorModels, BitPatternFlipsItsBits) {
    scratchdir dir;
    // One bit in 1000, always the same place in each period.
    std::vector<uint16_t> pattern(1000, 0x007F);
    pattern[500] = 0x0081;
    writefile(dir / "p.g192", bytesof(pattern));
    const nlohmann::json report = decodejson(dir, {"--error-model", "pattern", "--pattern", "p.g192"});
    const int64_t seen = report.at("bits_inspected");
    EXPECT_EQ(report.at("bits_flipped").get<int64_t>(), (seen + 499) / 1000);
    EXPECT_EQ(report.at("bursts").at("lengths").at("1"), report.at("bits_flipped"));
}

TEST(CliErrorModels, BadParametersAreRefusedBeforeAnythingIsWritten) {
    scratchdir dir;
    writefile(dir / "riff.g192", "RIFF\x24\x00\x00\x00WAVE");
    writefile(dir / "odd.g192", std::string("\x7F\x00\x81", 3));
    writefile(dir / "mixed.g192", bytesof({0x6B21, 0x007F}));
    const std::vector<std::vector<std::string>> bad = {
        {"--error-model", "gilbert", "--gamma", "1.5"},
        {"--error-model", "gilbert", "--gamma", "-0.1"},
        {"--error-model", "erasure", "--fer", "0.6"},
        {"--error-model", "erasure", "--fer", "nan"},
        {"--error-model", "bursty"},
        {"--error-model", "pattern"},
        {"--pattern", "riff.g192"},
        {"--pattern", "odd.g192"},
        {"--pattern", "mixed.g192"},
        {"--pattern", "missing.g192"},
        {"--fer", "0.1"},
    };
    for (const auto& args : bad) {
        std::vector<std::string> all{"decode", "-o", "out.wav"};
        all.insert(all.end(), args.begin(), args.end());
        const toolrun run = dir.run(all);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_FALSE(run.err.empty()) << args.back();
    }
    EXPECT_NE(dir.run({"decode", "--pattern", "riff.g192"}).err.find("not in G.192 format"),
              std::string::npos);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--model", "erasure", "--fer", "0.51", "--length", "10"},
          {"--model", "gilbert", "--ber", "0.1", "--gamma", "1.01", "--length", "10"},
          {"--model", "gilbert", "--ber", "-1", "--length", "10"},
          {"--model", "gilbert", "--ber", "0.1", "--length", "-3"},
          {"--model", "independent", "--length", "10"}}) {
        std::vector<std::string> all{"errpat", "-o", "out.g192"};
        all.insert(all.end(), args.begin(), args.end());
        EXPECT_EQ(dir.run(all).status, 2) << args[1] << " " << args[3];
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.g192"));
    EXPECT_FALSE(std::filesystem::exists(dir / "wav/test.wav"));
}
