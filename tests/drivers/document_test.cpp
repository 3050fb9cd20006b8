#include "app/CTonvexDoc.h"
#include "base/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "app/settings.h"

namespace {
const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
}

TEST(Document, StartsWithTheDefaultSettings) {
    const CTonvexDoc doc;
    EXPECT_EQ(doc.ber, 0.0);
    EXPECT_EQ(doc.scaledbitrate, 80.0);
    EXPECT_EQ(doc.concealatten, 1.5);
    EXPECT_EQ(doc.recon0, 0.4);
    EXPECT_EQ(doc.recon1, 0.45);
    EXPECT_EQ(doc.initblockmode, 2);
    EXPECT_EQ(doc.jointcoding, 1);
    EXPECT_EQ(doc.weightmode, 2);
    EXPECT_EQ(doc.reconmode, 4);
    EXPECT_EQ(doc.synctolerance, 1);
    EXPECT_EQ(doc.framelen, 1024);
    EXPECT_EQ(doc.longlen, 1024);
    EXPECT_EQ(doc.srindex, 7);
    EXPECT_EQ(doc.weightbits, 4);
    EXPECT_EQ(doc.weightrefbits, 6);
    EXPECT_EQ(doc.dither, 1);
    EXPECT_EQ(doc.errorsenabled, 1);
    EXPECT_EQ(doc.nbiterrors, 0);
    EXPECT_EQ(doc.statustext, "");
}

TEST(Document, BuildsTheFileNamesAndPaths) {
    const CTonvexDoc doc;
    EXPECT_EQ(doc.directory, "wav");
    EXPECT_EQ(doc.bitstreamname, "test.ztb");
    EXPECT_EQ(doc.wavname, "test.wav");
    EXPECT_EQ(doc.scaledname, "test_s.ztb");
    EXPECT_EQ(doc.bitstreampath, "wav" + sep + "test.ztb");
    EXPECT_EQ(doc.wavpath, "wav" + sep + "test.wav");
    EXPECT_EQ(doc.scaledpath, "wav" + sep + "test_s.ztb");
}

TEST(Document, EmptyDirectoryMeansTheCurrentDirectory) {
    EXPECT_EQ(joinpath("", "a.ztb"), "a.ztb");
    EXPECT_EQ(joinpath("data" + sep, "a.ztb"), "data" + sep + "a.ztb");
    EXPECT_EQ(joinpath("/abs/dir", "a.wav"), "/abs/dir" + sep + "a.wav");
    CTonvexDoc doc;
    doc.directory = "";
    doc.updatepaths();
    EXPECT_EQ(doc.bitstreampath, "test.ztb");
}

TEST(Document, InitialResultRows) {
    const CTonvexDoc doc;
    EXPECT_EQ(doc.inforows[0].kind, 4);
    EXPECT_EQ(doc.inforows[1].kind, 0);
    EXPECT_EQ(doc.inforows[1].label, "input bitstream");
    EXPECT_EQ(doc.inforows[1].unit, "kbit/s");
    EXPECT_EQ(doc.inforows[2].label, "decoded bitrate");
    EXPECT_EQ(doc.inforows[3].kind, 4);
    EXPECT_EQ(doc.inforows[4].kind, 1);
    EXPECT_EQ(doc.inforows[4].label, "bit error rate");
    EXPECT_EQ(doc.inforows[4].unit, "");
}

TEST(Document, SampleBuffersAreZeroAndSizedFromTheFrameLength) {
    const CTonvexDoc doc;
    ASSERT_TRUE(doc.pcm_buf && doc.pcmfilebuf);
    for (int i = 0; i < 2 * 1024; i++) ASSERT_EQ(doc.pcm_buf[i], 0.0);
    for (int i = 0; i < 4 * 1024; i++) ASSERT_EQ(doc.pcmfilebuf[i], 0);
}

TEST(Document, ScaledFrameLength) {
    CTonvexDoc doc;
    EXPECT_EQ(doc.scaledframelen(80.0), 107); // floor(1024 x 80 / 768 + 0.5)
    EXPECT_EQ(doc.scaledframelen(1.0), 8);
    EXPECT_EQ(doc.scaledframelen(1000.0), 511);
    EXPECT_EQ(doc.scaledframelen(-5.0), 8);
    doc.fs_khz = 44.1;
    EXPECT_EQ(doc.scaledframelen(64.0), 93); // floor(65536 / 705.6 + 0.5)
}

TEST(Document, BitErrorsAtRateZeroFlipNothingButCountEveryBit) {
    CTonvexDoc doc;
    uint16_t words[3] = {0x1234, 0xFFFF, 0};
    random_seed(1);
    doc.inserterrors(words, 3, 1);
    EXPECT_EQ(words[0], 0x1234);
    EXPECT_EQ(doc.nbitsseen, 48);
    EXPECT_EQ(doc.nbiterrors, 0);
    // The 16 draws per word are still taken, so dither and concealment see the same
    // sequence as at any other rate.
    const std::uint32_t after = random_state();
    random_seed(1);
    for (int draw = 0; draw < 48; draw++) random_draw();
    EXPECT_EQ(after, random_state());
    doc.ber = 0.002;
    doc.inserterrors(words, 3, 0); // switched off: no draws, still counted
    EXPECT_EQ(words[1], 0xFFFF);
    EXPECT_EQ(doc.nbitsseen, 96);
}

TEST(Settings, NamesMapToMembers) {
    CTonvexDoc doc;
    EXPECT_EQ(setsetting(doc, "jointcoding", 0), setresult::ok);
    EXPECT_EQ(doc.jointcoding, 0);
    EXPECT_EQ(setsetting(doc, "ber", 0.001), setresult::ok);
    EXPECT_EQ(doc.ber, 0.001);
    EXPECT_EQ(setsetting(doc, "weightbits", 5), setresult::ok);
    EXPECT_EQ(doc.weightbits, 5);
    EXPECT_EQ(getsetting(doc, "scaledbitrate"), 80.0);
    EXPECT_EQ(getsetting(doc, "weightbits"), 5.0);
    EXPECT_FALSE(getsetting(doc, "nosuch").has_value());
    for (const settinginfo& info : settinglist())
        EXPECT_TRUE(getsetting(doc, info.name).has_value()) << info.name;
}

TEST(Settings, RefusesWhatTheDecodersAreNotBuiltFor) {
    CTonvexDoc doc;
    EXPECT_EQ(setsetting(doc, "ber", 0.5), setresult::outofrange);
    EXPECT_EQ(setsetting(doc, "ber", std::numeric_limits<double>::quiet_NaN()), setresult::notfinite);
    EXPECT_EQ(setsetting(doc, "scaledbitrate", std::numeric_limits<double>::infinity()),
              setresult::notfinite);
    EXPECT_EQ(setsetting(doc, "weightmode", 1.5), setresult::notinteger);
    EXPECT_EQ(setsetting(doc, "weightmode", 3), setresult::outofrange);
    EXPECT_EQ(setsetting(doc, "framelen", 512), setresult::unknownname); // sizes the buffers
    EXPECT_EQ(setsetting(doc, "srindex", 3), setresult::unknownname);    // comes from the stream
    EXPECT_EQ(doc.ber, 0.0);
    EXPECT_EQ(doc.weightmode, 2);
}

TEST(Settings, FromText) {
    CTonvexDoc doc;
    EXPECT_EQ(setsettingtext(doc, "runparam", "2"), setresult::ok);
    EXPECT_EQ(doc.runparam, 2);
    EXPECT_EQ(setsettingtext(doc, "ber", "1e-3"), setresult::ok);
    EXPECT_EQ(doc.ber, 1e-3);
    EXPECT_EQ(setsettingtext(doc, "ber", "0.001x"), setresult::notanumber);
    EXPECT_EQ(setsettingtext(doc, "ber", ""), setresult::notanumber);
    EXPECT_EQ(setsettingtext(doc, "ber", "nan"), setresult::notfinite);
    EXPECT_EQ(setsettingtext(doc, "ber", "inf"), setresult::notfinite);
    EXPECT_NE(settingerror(setresult::unknownname, "x").find("jointcoding"), std::string::npos);
    EXPECT_NE(settingerror(setresult::outofrange, "ber").find("0 to 0.002"), std::string::npos);
}
