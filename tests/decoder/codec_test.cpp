#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/message.h"
#include "codec/decoder/zatdec.h"

namespace {

// Collects the messages shown while it lives.
class messagerecorder {
  public:
    messagerecorder()
        : previous(setmessagehandler([this](const std::string& text) { shown.push_back(text); })) {}
    ~messagerecorder() { setmessagehandler(previous); }
    std::vector<std::string> shown;

  private:
    messagehandler previous;
};

int count(const std::vector<std::string>& texts, const std::string& text) {
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

} // namespace

TEST(CodecState, ConstructorValues) {
    zatdec dec;
    EXPECT_EQ(dec.kbdalpha, 3.0);
    EXPECT_EQ(dec.windowshape, 1);
    EXPECT_EQ(dec.runparammin, 1);
    EXPECT_EQ(dec.lastblockmode, 0);
    EXPECT_EQ(dec.reconmode, 4);
    EXPECT_TRUE(dec.mdctbuf.empty());
}

TEST(CodecState, AllocationSetsGeometryAndZeroFills) {
    messagerecorder messages;
    zatdec dec;
    ASSERT_EQ(dec.arrayalloc_zatdec(1024, 64, 16, 544, 32, 24), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(dec.speclen, 1024);
    EXPECT_EQ(dec.framelen, 1024);
    EXPECT_EQ(dec.midpoint, 544);
    EXPECT_EQ(dec.nbandmax, 32);

    ASSERT_EQ(dec.mdctbuf.size(), 16u);
    for (const auto& row : dec.mdctbuf) EXPECT_EQ(row, std::vector<double>(1024, 0.0));
    ASSERT_EQ(dec.mdcti.size(), 16u);
    for (const auto& row : dec.mdcti) EXPECT_EQ(row, std::vector<int32_t>(1024, 0));
    for (const auto& row : dec.weightflag) EXPECT_EQ(row.size(), 32u);
    EXPECT_EQ(dec.delaybuf, std::vector<double>(2048, 0.0));
    EXPECT_EQ(dec.wr_buf.size(), 2048u);
    EXPECT_EQ(dec.wi_buf.size(), 2048u);
    EXPECT_EQ(dec.scfres.size(), 16u);
    EXPECT_EQ(dec.bndsize1.size(), 32u);
    EXPECT_EQ(dec.bndsize2.size(), 24u);
    EXPECT_EQ(dec.lastgoodlong, std::vector<double>(1024, 0.0));
    EXPECT_EQ(dec.lastgoodshort, std::vector<double>(64, 0.0));

    // Windows are built at allocation: Kaiser-Bessel-derived, mirrored.
    ASSERT_EQ(dec.shortwindow.size(), 128u);
    ASSERT_EQ(dec.longwindow.size(), 2048u);
    EXPECT_NEAR(dec.longwindow[0], 0.0012188, 5e-8);
    EXPECT_EQ(dec.longwindow[2047], dec.longwindow[0]);
    EXPECT_EQ(dec.shortwindow[127], dec.shortwindow[0]);
}

TEST(CodecState, FailedArraysShowTheirMessagesAndReportFailure) {
    messagerecorder messages;
    zatdec dec;
    // A negative block count cannot be allocated: every per-block array fails, and the
    // arrays sized by other values are still built.
    EXPECT_EQ(dec.arrayalloc_zatdec(1024, 128, -1, 576, 32, 32), 1);
    const std::vector<std::string> expected = {
        "arrayalloc_codec(): mdctbuf not allocated",   "arrayalloc_codec(): mdctinit not allocated",
        "arrayalloc_codec(): mdcti not allocated",     "arrayalloc_codec(): scf not allocated",
        "arrayalloc_codec(): scfres not allocated",    "arrayalloc_codec(): weight not allocated",
        "arrayalloc_codec(): dweight not allocated",   "arrayalloc_codec(): weightref not allocated",
        "arrayalloc_codec(): weightflag not allocated"};
    EXPECT_EQ(messages.shown, expected);
    EXPECT_EQ(dec.delaybuf.size(), 2048u);
    EXPECT_EQ(dec.lastgoodshort.size(), 128u);
}

TEST(CodecState, EachFailingRowShowsItsMessageOnce) {
    messagerecorder messages;
    zatdec dec;
    EXPECT_EQ(dec.arrayalloc_zatdec(1024, 128, 8, 576, -3, -3), 1);
    for (const char* name : {"scf", "weight", "dweight", "weightflag"})
        EXPECT_EQ(count(messages.shown, std::string("arrayalloc_codec(): ") + name + "[i] not allocated"), 8)
            << name;
    EXPECT_EQ(count(messages.shown, "arrayalloc_codec(): bndsize1 not allocated"), 1);
    EXPECT_EQ(count(messages.shown, "arrayalloc_codec(): bndsize2 not allocated"), 1);
    EXPECT_EQ(messages.shown.size(), 34u);
}

TEST(CodecState, ZatdecArraysFailAfterTheCodecArrays) {
    messagerecorder messages;
    zatdec dec;
    EXPECT_EQ(dec.arrayalloc_zatdec(1024, -128, 8, 576, 32, 32), 1);
    const std::vector<std::string> expected = {"arrayalloc_codec(): shortwindow not allocated",
                                               "arrayalloc_zatdec(): lastgoodshort not allocated"};
    EXPECT_EQ(messages.shown, expected);
}

TEST(CodecState, FreeReleasesEveryArray) {
    zatdec dec;
    ASSERT_EQ(dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32), 0);
    dec.arrayfree_zatdec();
    EXPECT_TRUE(dec.mdctbuf.empty());
    EXPECT_TRUE(dec.delaybuf.empty());
    EXPECT_TRUE(dec.weightflag.empty());
    EXPECT_TRUE(dec.bndsize2.empty());
    EXPECT_TRUE(dec.lastgoodlong.empty());
    EXPECT_TRUE(dec.lastgoodshort.empty());
}

TEST(CodecState, ResetSideinfoKeepsGroupFlagsAndWeightDifferences) {
    zatdec dec;
    ASSERT_EQ(dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32), 0);
    dec.scfres.assign(8, 0);
    dec.scfres[3] = 1;
    dec.dweight[2][5] = 7;
    dec.weight[4][9] = 12;
    dec.weightref[6] = 5;
    dec.reset_sideinfo();
    EXPECT_EQ(dec.scfres[0], 1);
    EXPECT_EQ(dec.scfres[3], 1);
    EXPECT_EQ(dec.scfres[1], 0);
    EXPECT_EQ(dec.dweight[2][5], 7);
    for (int b = 0; b < 8; b++) {
        EXPECT_EQ(dec.weightref[b], 0);
        EXPECT_EQ(dec.weight[b], std::vector<int16_t>(32, -100));
        EXPECT_EQ(dec.scf[b], std::vector<int16_t>(32, 31));
    }
}

TEST(CodecState, ResetSpectrumClearsEveryRowAndColumn) {
    zatdec dec;
    ASSERT_EQ(dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32), 0);
    dec.mdctbuf[7][1023] = 1.5;
    dec.mdctinit[3][500] = -2.0;
    dec.mdcti[0][0] = 99;
    dec.reset_spectrum();
    for (int b = 0; b < 8; b++) {
        EXPECT_EQ(dec.mdctbuf[b], std::vector<double>(1024, 0.0));
        EXPECT_EQ(dec.mdctinit[b], std::vector<double>(1024, 0.0));
        EXPECT_EQ(dec.mdcti[b], std::vector<int32_t>(1024, 0));
    }
}

TEST(CodecState, SampleRateAndBandLayouts) {
    zatdec dec;
    ASSERT_EQ(dec.arrayalloc_zatdec(1024, 128, 8, 576, 32, 32), 0);
    dec.setsamplerate(6);
    EXPECT_EQ(dec.srindex, 6);
    EXPECT_EQ(dec.fs_khz, 44.1);
    dec.setbands();
    int shortsum = 0, longsum = 0;
    for (int size : dec.bndsize1) shortsum += size;
    for (int size : dec.bndsize2) longsum += size;
    EXPECT_EQ(shortsum, 128);
    EXPECT_EQ(longsum, 1024);

    // An index outside the table keeps the last rate.
    dec.setsamplerate(9);
    EXPECT_EQ(dec.fs_khz, 44.1);
}
