// Start-up captions and the menu commands that change settings.
#include <QAction>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/menucommands.h"
#include "guitest.h"

using namespace menucommand;

namespace {
class MenuTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app.InitInstance()); }
    CMainFrame& frame() { return *app.mainframe(); }
    CTonvexDoc& doc() { return *app.document(); }

    messagerecorder messages;
    CTonvexApp app;
};
} // namespace

TEST_F(MenuTest, StartUpWritesEveryCaptionFromTheSettings) {
    EXPECT_EQ(caption(frame(), filebitstream), "input bitstream:  test.ztb");
    EXPECT_EQ(caption(frame(), fileoutput), "output wav:  test.wav");
    EXPECT_EQ(caption(frame(), fileoutputbitstream), "output bitstream:  test_s.ztb");
    EXPECT_EQ(caption(frame(), filedirectory), "directory:  wav");
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: encoded");
    EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 80 kbit/s");
    EXPECT_EQ(caption(frame(), decodeber), "bit error rate 0.0e+00 ");
    EXPECT_EQ(caption(frame(), decodedecode), "decode bitstream");
    EXPECT_EQ(caption(frame(), decodescale), "scale bitstream");
    EXPECT_EQ(caption(frame(), appabout), "about");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MenuTest, InputBitstreamNamesAllThreeFiles) {
    answer(frame(), filebitstream, "song");
    EXPECT_EQ(caption(frame(), filebitstream), "input bitstream:  song.ztb");
    EXPECT_EQ(caption(frame(), fileoutput), "output wav:  song.wav");
    EXPECT_EQ(caption(frame(), fileoutputbitstream), "output bitstream:  song_s.ztb");
    EXPECT_EQ(doc().bitstreampath, joinpath("wav", "song.ztb"));
    EXPECT_EQ(doc().wavpath, joinpath("wav", "song.wav"));
    EXPECT_EQ(doc().scaledpath, joinpath("wav", "song_s.ztb"));
}

// The typed text, the value the document keeps and the caption the menu shows.
TEST_F(MenuTest, DialogValuesAreClampedAndShownInTheCaptions) {
    const struct {
        int id;
        const char* typed;
        double CTonvexDoc::*member;
        double value;
        const char* caption;
    } cases[] = {
        {decodeber, "0.5", &CTonvexDoc::ber, 0.002, "bit error rate 2.0e-03 "},
        {decodeber, "1e-4", &CTonvexDoc::ber, 1e-4, "bit error rate 1.0e-04 "},
        {decodeber, "-1", &CTonvexDoc::ber, 0.0, "bit error rate 0.0e+00 "},
        {decodebitrate, "-5", &CTonvexDoc::scaledbitrate, 0.0, "scaled bitrate 0 kbit/s"},
        {decodebitrate, "64.4", &CTonvexDoc::scaledbitrate, 64.4, "scaled bitrate 64 kbit/s"},
    };
    for (const auto& c : cases) {
        answer(frame(), c.id, c.typed);
        EXPECT_EQ(doc().*c.member, c.value) << c.typed;
        EXPECT_EQ(caption(frame(), c.id), c.caption) << c.typed;
    }
}

TEST_F(MenuTest, NumberFieldRefusesNonFiniteTextAndStaysOpen) {
    for (const char* refused : {"inf", "nan", "-inf", "abc", "", "1e999", "12kbit", "0x10"}) {
        int messagesbefore = static_cast<int>(messages.shown.size());
        bool stayedopen = false;
        whendialogopens([&stayedopen, refused](QDialog& dialog) {
            typeandenter(dialog, refused);
            stayedopen = dialog.isVisible();
            typeandenter(dialog, "96");
        });
        frame().OnDecodeBitrate();
        EXPECT_TRUE(stayedopen) << refused;
        EXPECT_EQ(static_cast<int>(messages.shown.size()), messagesbefore + 1) << refused;
        EXPECT_EQ(doc().scaledbitrate, 96.0) << refused;
    }
    EXPECT_EQ(messages.shown.back(), "Please enter a number.");
}

TEST_F(MenuTest, OutputBitrateModeToggles) {
    frame().menuitem(quantiserqscale)->trigger();
    EXPECT_EQ(doc().outputbitratemode, 1);
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: scaled");
    frame().menuitem(quantiserqscale)->trigger();
    EXPECT_EQ(doc().outputbitratemode, 0);
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: encoded");
}
