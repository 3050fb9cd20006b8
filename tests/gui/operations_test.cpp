// Decode and scale started from the menu, on the bundled sample, in the background.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/CTonvexView.h"
#include "app/gui/menucommands.h"
#include "base/random.h"
#include "guitest.h"

using namespace menucommand;

namespace {
class OperationsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QDir::current().filePath("wav/test.ztb"), folder.filePath("song.ztb")));
        ASSERT_TRUE(app.InitInstance());
        answer(frame(), filedirectory, folder.path());
        answer(frame(), filebitstream, "song");
        doc().random.seed(1);
    }
    CMainFrame& frame() { return *app.mainframe(); }
    CTonvexDoc& doc() { return *app.document(); }

    QTemporaryDir folder;
    messageboxrecorder messages;
    CTonvexApp app;
};
} // namespace

TEST_F(OperationsTest, DecodeFromTheMenuWritesTheWavAndFillsTheRows) {
    frame().menuitem(decodedecode)->trigger();
    waitforoperation(frame());
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    const QFileInfo wav(folder.filePath("song.wav"));
    ASSERT_TRUE(wav.exists());
    EXPECT_GT(wav.size(), 44);
    EXPECT_FALSE(doc().statustext.empty());
    EXPECT_GT(doc().inforows[1].value, 0.0);
    EXPECT_EQ(doc().inforows[2].label, "decoded bitrate");
    EXPECT_EQ(doc().inforows[2].value, doc().inforows[1].value);
    EXPECT_EQ(doc().inforows[4].kind, 1);
}

TEST_F(OperationsTest, ScaleFromTheMenuWritesAShorterStreamAndFillsTheRows) {
    // The scaler cuts frames only in the "output bitrate: scaled" mode.
    frame().menuitem(quantiserqscale)->trigger();
    answer(frame(), decodebitrate, "32");
    frame().menuitem(decodescale)->trigger();
    waitforoperation(frame());
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    const QFileInfo scaled(folder.filePath("song_s.ztb"));
    ASSERT_TRUE(scaled.exists());
    EXPECT_GT(scaled.size(), 0);
    EXPECT_LT(scaled.size(), QFileInfo(folder.filePath("song.ztb")).size());
    EXPECT_FALSE(doc().statustext.empty());
    EXPECT_EQ(doc().inforows[2].label, "output bitstream");
    EXPECT_GT(doc().inforows[2].value, 0.0);
    EXPECT_LT(doc().inforows[2].value, doc().inforows[1].value);
    EXPECT_LE(doc().inforows[2].value, 32.0 + 1.0);
}

TEST_F(OperationsTest, FailedRunsAreReportedAndLeaveNoStaleRowsNorOutput) {
    frame().menuitem(decodedecode)->trigger();
    waitforoperation(frame());
    const struct {
        int id;
        const char* name;
        const char* message;
    } failures[] = {{fileoutput, "missing/take", "cannot create output file"},
                    {filebitstream, "nothing", "cannot find bitstream file"}};
    for (const auto& failure : failures) {
        messages.shown.clear();
        answer(frame(), failure.id, failure.name);
        frame().menuitem(decodedecode)->trigger();
        waitforoperation(frame());
        EXPECT_EQ(messages.shown, std::vector<std::string>{failure.message});
        EXPECT_EQ(doc().statustext, "");
        for (const inforow& row : doc().inforows) EXPECT_EQ(row.kind, 4);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"song.wav", "song.ztb"}));
    }
}

TEST_F(OperationsTest, WindowStaysLiveAndCancelLeavesNoOutput) {
    // A long stream: the sample again and again (each copy's first frame is a resync).
    QFile stream(folder.filePath("song.ztb"));
    ASSERT_TRUE(stream.open(QIODevice::ReadWrite));
    const QByteArray once = stream.readAll();
    for (int copy = 0; copy < 60; ++copy) stream.write(once);
    stream.close();
    const std::function<void()> cancels[] = {
        [this] { QTest::keyClick(&frame(), Qt::Key_Escape); },
        [this] { frame().findChild<QPushButton*>()->click(); },
    };
    for (const auto& cancel : cancels) {
        QFile earlier(folder.filePath("song.wav"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier output");
        earlier.close();
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        frame().menuitem(decodedecode)->trigger();
        ASSERT_TRUE(frame().isrunning());
        EXPECT_EQ(frame().cursor().shape(), Qt::BusyCursor);
        EXPECT_FALSE(frame().menuitem(decodeber)->isEnabled());
        cancel();
        waitforoperation(frame());
        EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
        EXPECT_EQ(doc().statustext, "decoding cancelled");
        EXPECT_FALSE(doc().stats.completed);
        EXPECT_TRUE(frame().menuitem(decodedecode)->isEnabled());
        EXPECT_EQ(frame().cursor().shape(), Qt::ArrowCursor);
        // The earlier output is untouched and nothing else is left beside it.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"song.wav", "song.ztb"}));
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), "an earlier output");
        earlier.close();
    }
}
