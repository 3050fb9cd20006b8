// Decode and scale started from the menu, on the bundled sample (or a conformance stream
// while the sample is not there).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/CTonvexView.h"
#include "app/gui/inputblocker.h"
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

// Counts the key presses that reach a widget.
class keycounter : public QObject {
  public:
    int presses = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) ++presses;
        return false;
    }
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

TEST_F(OperationsTest, MissingInputIsReportedInAMessageBox) {
    answer(frame(), filebitstream, "nothing");
    frame().menuitem(decodedecode)->trigger();
    ASSERT_FALSE(messages.texts.empty());
}

TEST_F(OperationsTest, WindowRepaintsTheGrowingBarDuringTheRun) {
    frame().resize(400, 300);
    QApplication::processEvents();
    barwatcher watcher(*frame().GetActiveView());
    frame().menuitem(decodedecode)->trigger();
    ASSERT_GT(watcher.widths.size(), 5u);
    int widest = 0, growths = 0;
    for (int width : watcher.widths) {
        if (width > widest) ++growths;
        widest = std::max(widest, width);
    }
    EXPECT_GT(growths, 5);
    EXPECT_GE(widest, (400 - 12) * 90 / 100);
}

TEST_F(OperationsTest, BlockedWindowTakesNoInputButDialogsDo) {
    keycounter counter;
    frame().GetActiveView()->installEventFilter(&counter);
    QDialog other;
    other.installEventFilter(&counter);
    other.show();
    {
        inputblocker blocker(&frame());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QApplication::sendEvent(frame().GetActiveView(), &press);
        EXPECT_EQ(counter.presses, 0);
        EXPECT_FALSE(frame().close());
        EXPECT_TRUE(frame().isVisible());
        QApplication::sendEvent(&other, &press);
        EXPECT_EQ(counter.presses, 1);
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(frame().GetActiveView(), &press);
    EXPECT_EQ(counter.presses, 2);
}
