// tonvex probe and decode --config auto: a stream's coding configuration found from its
// first frames, for streams of the encoder and for the independent conformance vectors.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "toolrun.h"

namespace {

const std::filesystem::path vectors = std::filesystem::path(TONVEX_SOURCE_DIR) / "tests/vectors";

// "a=1 b=2" as the arguments --set a=1 --set b=2.
std::vector<std::string> setargs(const std::string& settings) {
    std::vector<std::string> args;
    std::istringstream words(settings);
    for (std::string word; words >> word;) args.insert(args.end(), {"--set", word});
    return args;
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

// Probes stream and checks that the configuration found is `settings` and that
// decode --config auto writes what a decode with those settings writes.
void expectfound(const scratchdir& dir, const std::string& stream, const std::string& settings) {
    const toolrun probe = dir.run({"probe", stream, "--json"});
    ASSERT_EQ(probe.status, 0) << probe.err;
    EXPECT_EQ(nlohmann::json::parse(probe.out).at("arguments"), joined(setargs(settings))) << probe.out;

    std::vector<std::string> known = {"decode", stream, "-o", "known.wav", "--quiet"};
    const std::vector<std::string> set = setargs(settings);
    known.insert(known.end(), set.begin(), set.end());
    ASSERT_EQ(dir.run(known).status, 0);
    ASSERT_EQ(dir.run({"decode", stream, "-o", "auto.wav", "--config", "auto", "--quiet"}).status, 0);
    EXPECT_EQ(readfile(dir / "auto.wav"), readfile(dir / "known.wav"));
    std::filesystem::remove(dir / "known.wav");
    std::filesystem::remove(dir / "auto.wav");
}

// Configurations whose every difference from the defaults the CRC words can tell.
class ProbeEncoded : public ::testing::TestWithParam<const char*> {};

TEST_P(ProbeEncoded, FindsTheConfigurationTheEncoderUsed) {
    scratchdir dir;
    std::filesystem::copy_file(vectors / "v01-default-48s.wav", dir / "in.wav");
    // The perceptual tune varies the weights between bands, so weight settings show.
    std::vector<std::string> encode = {"encode", "in.wav", "-o", "in.ztb", "--tune", "perceptual", "--quiet"};
    const std::vector<std::string> set = setargs(GetParam());
    encode.insert(encode.end(), set.begin(), set.end());
    ASSERT_EQ(dir.run(encode).status, 0);
    expectfound(dir, "in.ztb", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, ProbeEncoded,
                         ::testing::Values("", "jointcoding=0", "weightmode=0", "weightmode=1", "crclevel=3",
                                           "scanmode=2", "runmode=0", "refinefirst=1", "weightshare=0",
                                           "wstepmode=1", "wparamlong=0", "longbandtype=0"));

struct vectorcase {
    const char* name;
    const char* settings; // the coding settings of MANIFEST.tsv
};

class ProbeVector : public ::testing::TestWithParam<vectorcase> {};

TEST_P(ProbeVector, FindsTheManifestSettings) {
    scratchdir dir;
    const std::string stream = std::string(GetParam().name) + ".ztb";
    std::filesystem::copy_file(vectors / stream, dir / stream);
    expectfound(dir, stream, GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(Table, ProbeVector,
                         ::testing::Values(vectorcase{"v02-sine-441m", ""}, vectorcase{"v03-clicks-32s", ""},
                                           vectorcase{"v05-separate-48s", "jointcoding=0"},
                                           vectorcase{"v06-wm0-441s", "weightmode=0"},
                                           vectorcase{"v07-wm1-48s", "weightmode=1"},
                                           vectorcase{"v09-scan0-48s", "scanmode=0"},
                                           vectorcase{"v11-run1-48s", "runmode=1 runparam=2"},
                                           vectorcase{"v14-scaled-48s", ""}));

TEST(CliProbe, RefusesWhatItCannotProbe) {
    scratchdir dir;
    writefile(dir / "empty.ztb", "");
    const toolrun empty = dir.run({"probe", "empty.ztb"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("no configuration decodes"), std::string::npos) << empty.err;
    EXPECT_EQ(dir.run({"probe", "missing.ztb"}).status, 1);
    EXPECT_EQ(dir.run({"decode", "empty.ztb", "--config", "auto"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.wav"));
    EXPECT_EQ(dir.run({"decode", "--config", "guess"}).status, 2);
}

} // namespace
