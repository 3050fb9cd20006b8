// Files as the window opens them (chooser, drop, recent list) and the settings it keeps
// between runs.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/menucommands.h"
#include "app/gui/storedsettings.h"
#include "guitest.h"

using namespace menucommand;

namespace {
class FilesTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app->InitInstance()); }
    CMainFrame& frame() { return *app->mainframe(); }
    CTonvexDoc& doc() { return *app->document(); }
    QString stream(const QString& name) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return QDir(folder.path()).absoluteFilePath(name);
    }
    // Drags path over the window and drops it; whether the window took the drag.
    bool drop(const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&frame(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&frame(), &dropped);
        return true;
    }
    void restart() {
        app = std::make_unique<CTonvexApp>();
        ASSERT_TRUE(app->InitInstance());
    }

    QTemporaryDir folder;
    messageboxrecorder messages;
    std::unique_ptr<CTonvexApp> app = std::make_unique<CTonvexApp>();
};
} // namespace

TEST_F(FilesTest, OpenItemDropAndRecentListNameTheInput) {
    const QString harp = stream("harp.ztb");
    EXPECT_EQ(frame().menuitem(fileopen)->shortcut(), QKeySequence("Ctrl+O"));
    whendialogopens([&harp](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(harp);
        dialog.accept();
    });
    frame().menuitem(fileopen)->trigger();
    EXPECT_EQ(caption(frame(), filedirectory),
              "directory:  " + QDir(folder.path()).absolutePath().toStdString());
    EXPECT_EQ(caption(frame(), fileoutput), "output wav:  harp.wav");
    EXPECT_EQ(frame().windowTitle(), "harp.ztb - tonvex");
    // Only an existing file named .ztb is taken by a drop.
    for (const QString& refused : {stream("song.wav"), folder.filePath("missing.ztb"), stream("LOUD.ZTB")})
        EXPECT_FALSE(drop(refused)) << refused.toStdString();
    QStringList opened = {harp};
    for (const char* name : {"a.ztb", "b.ztb", "c.ztb", "a.ztb"}) {
        opened.removeAll(stream(name));
        opened.prepend(stream(name));
        EXPECT_TRUE(drop(opened.front()));
        EXPECT_EQ(doc().bitstreampath, opened.front().toStdString());
    }
    // Four at most, newest first; one that has gone is dropped from the list when chosen.
    EXPECT_EQ(recentfiles(), opened.mid(0, 4));
    QMenu* recent = frame().findChild<QMenu*>("recent");
    Q_EMIT recent->aboutToShow();
    QFile::remove(opened[1]);
    recent->actions()[1]->trigger();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"cannot find bitstream file"});
    EXPECT_EQ(recentfiles(), (QStringList{opened[0], opened[2], opened[3]}));
}

TEST_F(FilesTest, SettingsSurviveARestartUntilReset) {
    answer(frame(), filedirectory, folder.path());
    answer(frame(), filebitstream, "song");
    answer(frame(), fileoutput, "take2");
    answer(frame(), decodebitrate, "48");
    answer(frame(), decodeber, "1e-3");
    frame().menuitem(quantiserqscale)->trigger();
    restart();
    EXPECT_EQ(doc().wavpath, joinpath(folder.path().toStdString(), "take2.wav"));
    EXPECT_EQ(caption(frame(), filebitstream), "input bitstream:  song.ztb");
    EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 48 kbit/s");
    EXPECT_EQ(caption(frame(), decodeber), "bit error rate 1.0e-03 ");
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: scaled");
    frame().menuitem(filereset)->trigger();
    for (int pass = 0; pass < 2; ++pass, restart()) {
        EXPECT_EQ(doc().bitstreampath, joinpath("wav", "test.ztb"));
        EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 80 kbit/s");
        EXPECT_EQ(doc().ber, 0.0);
        EXPECT_EQ(doc().outputbitratemode, 0);
    }
}
