// Decode and scale started from the menu, on the bundled sample.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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
        random_seed(1);
    }
    CMainFrame& frame() { return *app.mainframe(); }
    CTonvexDoc& doc() { return *app.document(); }

    QTemporaryDir folder;
    messagerecorder messages;
    CTonvexApp app;
};
} // namespace

TEST_F(OperationsTest, DecodeFromTheMenuWritesTheWavAndFillsTheRows) {
    frame().menuitem(decodedecode)->trigger();
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

TEST_F(OperationsTest, MissingInputIsReportedInAMessageBox) {
    answer(frame(), filebitstream, "nothing");
    frame().menuitem(decodedecode)->trigger();
    ASSERT_FALSE(messages.shown.empty());
}
