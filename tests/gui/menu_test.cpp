// Start-up captions and the menu commands that change settings.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/CTonvexView.h"
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
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(MenuTest, WindowIsTheCentredMainFrame) {
    EXPECT_EQ(frame().windowTitle(), "test.ztb - tonvex");
    // 300 x 170 unless the panel's font needs more.
    const QSize size = QSize(300, 170).expandedTo(frame().minimumSizeHint());
    EXPECT_EQ(frame().size(), size);
    EXPECT_EQ(mainframewindow(), static_cast<framewindow*>(&frame()));
    const QSize screen = frame().screen()->size();
    EXPECT_EQ(frame().pos(),
              QPoint(screen.width() / 2 - size.width() / 2, screen.height() / 2 - size.height() / 2));
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

TEST_F(MenuTest, OutputWavCaptionTakesShortPrefixUntilNextInput) {
    answer(frame(), filebitstream, "song");
    answer(frame(), fileoutput, "take2");
    EXPECT_EQ(caption(frame(), fileoutput), "output:  take2.wav");
    EXPECT_EQ(doc().wavpath, joinpath("wav", "take2.wav"));
    answer(frame(), filebitstream, "song");
    EXPECT_EQ(caption(frame(), fileoutput), "output wav:  song.wav");
}

TEST_F(MenuTest, OutputBitstreamNeverNamesTheInput) {
    answer(frame(), filebitstream, "song");
    answer(frame(), fileoutputbitstream, "song");
    EXPECT_EQ(doc().scaledname, "song_s.ztb");
    EXPECT_EQ(caption(frame(), fileoutputbitstream), "output bitstream:  song_s.ztb");
    // The comparison is case-sensitive.
    answer(frame(), fileoutputbitstream, "Song");
    EXPECT_EQ(doc().scaledname, "Song.ztb");
    EXPECT_EQ(doc().scaledpath, joinpath("wav", "Song.ztb"));
}

TEST_F(MenuTest, DirectoryRecomposesEveryPath) {
    answer(frame(), filedirectory, "/data/takes");
    EXPECT_EQ(caption(frame(), filedirectory), "directory:  /data/takes");
    EXPECT_EQ(doc().bitstreampath, "/data/takes/test.ztb");
    EXPECT_EQ(doc().wavpath, "/data/takes/test.wav");
    EXPECT_EQ(doc().scaledpath, "/data/takes/test_s.ztb");
    // An accepted empty directory is the current directory.
    answer(frame(), filedirectory, "");
    EXPECT_EQ(caption(frame(), filedirectory), "directory:  ");
    EXPECT_EQ(doc().bitstreampath, "test.ztb");
}

TEST_F(MenuTest, EscapeOrCloseBoxLeavesSettingAndCaption) {
    whendialogopens([](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    frame().OnFileDirectory();
    EXPECT_EQ(doc().directory, "wav");
    EXPECT_EQ(doc().bitstreampath, joinpath("wav", "test.ztb"));
    EXPECT_EQ(caption(frame(), filedirectory), "directory:  wav");

    whendialogopens([](QDialog& dialog) { dialog.close(); });
    frame().OnDecodeBitrate();
    EXPECT_EQ(doc().scaledbitrate, 80.0);
    EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 80 kbit/s");

    whendialogopens([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("1000")->setText("other");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    frame().OnFileBitstream();
    EXPECT_EQ(doc().bitstreamname, "test.ztb");
    EXPECT_EQ(caption(frame(), filebitstream), "input bitstream:  test.ztb");
}

TEST_F(MenuTest, BitErrorRateIsClampedToItsRange) {
    answer(frame(), decodeber, "0.5");
    EXPECT_EQ(doc().ber, 0.002);
    EXPECT_EQ(caption(frame(), decodeber), "bit error rate 2.0e-03 ");
    answer(frame(), decodeber, "1e-4");
    EXPECT_EQ(doc().ber, 1e-4);
    EXPECT_EQ(caption(frame(), decodeber), "bit error rate 1.0e-04 ");
    answer(frame(), decodeber, "-1");
    EXPECT_EQ(doc().ber, 0.0);
    EXPECT_EQ(caption(frame(), decodeber), "bit error rate 0.0e+00 ");
    answer(frame(), decodeber, "0.0015");
    answer(frame(), decodeber, "0");
    EXPECT_EQ(doc().ber, 0.0);
}

TEST_F(MenuTest, ScaledBitrateShowsWholeNumberButKeepsValue) {
    answer(frame(), decodebitrate, "-5");
    EXPECT_EQ(doc().scaledbitrate, 0.0);
    EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 0 kbit/s");
    answer(frame(), decodebitrate, "64.4");
    EXPECT_EQ(doc().scaledbitrate, 64.4);
    EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 64 kbit/s");
}

TEST_F(MenuTest, NumberFieldRefusesNonFiniteTextAndStaysOpen) {
    for (const char* refused : {"inf", "nan", "-inf", "abc", "", "1e999", "12kbit", "0x10"}) {
        int messagesbefore = static_cast<int>(messages.texts.size());
        bool stayedopen = false;
        whendialogopens([&stayedopen, refused](QDialog& dialog) {
            typeandenter(dialog, refused);
            stayedopen = dialog.isVisible();
            typeandenter(dialog, "96");
        });
        frame().OnDecodeBitrate();
        EXPECT_TRUE(stayedopen) << refused;
        EXPECT_EQ(static_cast<int>(messages.texts.size()), messagesbefore + 1) << refused;
        EXPECT_EQ(doc().scaledbitrate, 96.0) << refused;
    }
    EXPECT_EQ(messages.texts.back(), "Please enter a number.");
}

TEST_F(MenuTest, OutputBitrateModeToggles) {
    frame().menuitem(quantiserqscale)->trigger();
    EXPECT_EQ(doc().outputbitratemode, 1);
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: scaled");
    frame().menuitem(quantiserqscale)->trigger();
    EXPECT_EQ(doc().outputbitratemode, 0);
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: encoded");
}

TEST_F(MenuTest, NewLeavesEverySettingAndRow) {
    answer(frame(), filebitstream, "song");
    doc().inforows[1].value = 80.25;
    frame().OnFileNew();
    EXPECT_EQ(doc().bitstreamname, "song.ztb");
    EXPECT_EQ(doc().inforows[1].value, 80.25);
    EXPECT_EQ(doc().scaledbitrate, 80.0);
}

TEST(MissingDocument, EveryHandlerNamesItselfAndDoesNothingElse) {
    messagerecorder messages;
    CMainFrame frame(nullptr);
    const std::pair<void (CMainFrame::*)(), const char*> handlers[] = {
        {&CMainFrame::OnFileBitstream, "pointer failure: OnFileBitstream()"},
        {&CMainFrame::OnFileOutput, "pointer failure: OnFileOutput()"},
        {&CMainFrame::OnFileOutputBitstream, "pointer failure: OnFileBitstream()"},
        {&CMainFrame::OnFileDirectory, "pointer failure: OnFileDirectory()"},
        {&CMainFrame::OnDecodeDecode, "pointer failure: OnDecodeDecode()"},
        {&CMainFrame::OnDecodeScale, "pointer failure: OnDecodeDecode()"},
        {&CMainFrame::OnQuantiserQscale, "pointer error: OnQuantiserQscale"},
        {&CMainFrame::OnDecodeBitrate, "pointer failure: OnDecodeBitrate()"},
        {&CMainFrame::OnDecodeBer, "pointer failure: OnDecodeBer()"},
        {&CMainFrame::initmenu, "pointer failure: initmenu()"},
    };
    for (const auto& [handler, message] : handlers) {
        messages.texts.clear();
        (frame.*handler)();
        ASSERT_EQ(messages.texts.size(), 1u) << message;
        EXPECT_EQ(messages.texts[0], message);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << message;
    }
    EXPECT_EQ(caption(frame, filebitstream), "input bitstream: harp.ztb");
}

TEST(MissingDocument, PanelOperationsReportAndDrawNothing) {
    messagerecorder messages;
    CMainFrame frame(nullptr);
    frame.GetActiveView()->canvas() = QImage(100, 100, QImage::Format_RGB32);
    frame.windownull();
    const std::vector<std::string> expected = {"pointer error: drawtextborderL",
                                               "pointer error: displayinitL", "pointer error: displayinfoL"};
    EXPECT_EQ(messages.texts, expected);
}
