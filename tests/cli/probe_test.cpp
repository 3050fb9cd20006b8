// tonvex probe and decode --config auto: a stream's coding configuration found from its
// first frames, for streams of the encoder and for the independent conformance vectors.
#include <gtest/gtest.h>

#include "toolrun.h"

namespace {

const std::filesystem::path vectors = std::filesystem::path(TONVEX_SOURCE_DIR) / "tests/vectors";

// "a=1 b=2" as the arguments "--set a=1 --set b=2".
std::string setargs(const std::string& settings) {
    std::string args;
    for (const std::string& word : words(settings)) args += (args.empty() ? "--set " : " --set ") + word;
    return args;
}

// Probes stream and checks that the configuration found is `settings` and that
// decode --config auto writes what a decode with those settings writes.
void expectfound(const scratchdir& dir, const std::string& stream, const std::string& settings) {
    EXPECT_EQ(dir.json("probe " + stream).at("arguments"), setargs(settings));
    ASSERT_EQ(dir.run(words("decode " + stream + " -o known.wav -f --quiet " + setargs(settings))).status, 0);
    ASSERT_EQ(dir.run(words("decode " + stream + " -o auto.wav -f --config auto --quiet")).status, 0);
    EXPECT_EQ(readfile(dir / "auto.wav"), readfile(dir / "known.wav"));
}

// Configurations whose every difference from the defaults the CRC words can tell.
class ProbeEncoded : public ::testing::TestWithParam<const char*> {};

TEST_P(ProbeEncoded, FindsTheConfigurationTheEncoderUsed) {
    scratchdir dir;
    std::filesystem::copy_file(vectors / "v01-default-48s.wav", dir / "in.wav");
    // The perceptual tune varies the weights between bands, so weight settings show.
    ASSERT_EQ(
        dir.run(words("encode in.wav -o in.ztb --tune perceptual --quiet " + setargs(GetParam()))).status, 0);
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

} // namespace
