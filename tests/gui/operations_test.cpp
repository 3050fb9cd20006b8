// Decode and scale started from the menu, on the bundled sample (or a conformance stream
// while the sample is not there).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
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
QString samplestream() {
    const QString bundled = QDir::current().filePath("wav/test.ztb");
    if (QFileInfo::exists(bundled)) return bundled;
    return "/work/shared/vectors/v01-default-48s.ztb";
}

// Records, at every paint of the view, how far the progress bar reaches on the panel image.
class barwatcher : public QObject {
  public:
    explicit barwatcher(CTonvexView& view) : view(view) { view.installEventFilter(this); }
    std::vector<int> widths;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            int width = 0;
            while (6 + width < view.canvas().width() &&
                   view.canvas().pixelColor(6 + width, 20) == QColor(29, 96, 169))
                ++width;
            widths.push_back(width);
        }
        return false;
    }

  private:
    CTonvexView& view;
};

class OperationsTest : public testing::Test {
  protected:
    void SetUp() override {
        const QString sample = samplestream();
        ASSERT_TRUE(QFileInfo::exists(sample)) << sample.toStdString();
        ASSERT_TRUE(QFile::copy(sample, folder.filePath("song.ztb")));
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
    waitforoperation(frame());
    EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
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
    EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
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
        messages.texts.clear();
        answer(frame(), failure.id, failure.name);
        frame().menuitem(decodedecode)->trigger();
        waitforoperation(frame());
        EXPECT_EQ(messages.texts, std::vector<std::string>{failure.message});
        EXPECT_EQ(doc().statustext, "");
        for (const inforow& row : doc().inforows) EXPECT_EQ(row.kind, 4);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"song.wav", "song.ztb"}));
    }
}

TEST_F(OperationsTest, WindowRepaintsTheGrowingBarDuringTheRun) {
    frame().resize(400, 300);
    QApplication::processEvents();
    barwatcher watcher(*frame().GetActiveView());
    frame().menuitem(decodedecode)->trigger();
    waitforoperation(frame());
    ASSERT_GT(watcher.widths.size(), 5u);
    int widest = 0, growths = 0;
    for (int width : watcher.widths) {
        if (width > widest) ++growths;
        widest = std::max(widest, width);
    }
    EXPECT_GT(growths, 5);
    EXPECT_GE(widest, (400 - 12) * 90 / 100);
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
        EXPECT_FALSE(frame().menuitem(decodedecode)->isEnabled());
        EXPECT_FALSE(frame().menuitem(decodeber)->isEnabled());
        EXPECT_TRUE(frame().menuBar()->isEnabled());
        cancel();
        waitforoperation(frame());
        EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
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
