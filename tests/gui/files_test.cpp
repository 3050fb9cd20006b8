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
    messagerecorder messages;
    std::unique_ptr<CTonvexApp> app = std::make_unique<CTonvexApp>();
};
} // namespace

TEST_F(FilesTest, OpenItemChoosesTheInputItsFolderAndTitle) {
    const QString harp = stream("harp.ztb");
    EXPECT_EQ(frame().menuitem(fileopen)->text(), "Open bitstream...");
    EXPECT_EQ(frame().menuitem(fileopen)->shortcut(), QKeySequence("Ctrl+O"));
    whendialogopens([&harp](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(harp);
        dialog.accept();
    });
    frame().menuitem(fileopen)->trigger();
    EXPECT_EQ(doc().directory, QDir(folder.path()).absolutePath().toStdString());
    EXPECT_EQ(caption(frame(), filedirectory), "directory:  " + doc().directory);
    EXPECT_EQ(caption(frame(), filebitstream), "input bitstream:  harp.ztb");
    EXPECT_EQ(caption(frame(), fileoutput), "output wav:  harp.wav");
    EXPECT_EQ(doc().scaledpath, joinpath(doc().directory, "harp_s.ztb"));
    EXPECT_EQ(frame().windowTitle(), "harp.ztb - tonvex");
    EXPECT_EQ(recentfiles(), QStringList{harp});
}

TEST_F(FilesTest, DropTakesOneBitstreamFileOnly) {
    const struct {
        QString path;
        bool taken;
    } cases[] = {{stream("song.ztb"), true},
                 {stream("song.wav"), false},
                 {folder.filePath("missing.ztb"), false},
                 {stream("LOUD.ZTB"), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(drop(c.path), c.taken) << c.path.toStdString();
        if (c.taken) {
            EXPECT_EQ(doc().bitstreampath, c.path.toStdString());
        }
    }
}

TEST_F(FilesTest, RecentListKeepsFourNewestFirstAndDropsVanishedFiles) {
    QStringList opened;
    for (const char* name : {"a.ztb", "b.ztb", "c.ztb", "d.ztb", "e.ztb", "b.ztb"}) {
        opened.prepend(stream(name));
        frame().openbitstream(opened.front());
    }
    const QStringList expected = {opened[0], opened[1], opened[2], opened[3]};
    EXPECT_EQ(recentfiles(), expected);
    QMenu* recent = nullptr;
    for (QMenu* menu : frame().findChildren<QMenu*>())
        if (menu->title() == "Recent bitstreams") recent = menu;
    ASSERT_NE(recent, nullptr);
    Q_EMIT recent->aboutToShow();
    ASSERT_EQ(recent->actions().size(), 4);
    QFile::remove(expected[2]);
    recent->actions()[2]->trigger();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"cannot find bitstream file"});
    EXPECT_EQ(recentfiles(), (QStringList{expected[0], expected[1], expected[3]}));
    recent->actions()[3]->trigger();
    EXPECT_EQ(doc().bitstreampath, expected[3].toStdString());
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
    EXPECT_EQ(doc().scaledname, "song_s.ztb");
    EXPECT_EQ(caption(frame(), filebitstream), "input bitstream:  song.ztb");
    EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 48 kbit/s");
    EXPECT_EQ(caption(frame(), decodeber), "bit error rate 1.0e-03 ");
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: scaled");
    frame().menuitem(filereset)->trigger();
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(doc().bitstreampath, joinpath("wav", "test.ztb"));
        EXPECT_EQ(caption(frame(), fileoutput), "output wav:  test.wav");
        EXPECT_EQ(caption(frame(), decodebitrate), "scaled bitrate 80 kbit/s");
        EXPECT_EQ(doc().ber, 0.0);
        EXPECT_EQ(doc().outputbitratemode, 0);
        restart();
    }
}
