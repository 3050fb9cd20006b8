// Files as the window opens them (chooser, drop, recent list) and the settings it keeps
// between runs.

#include "app/gui/storedsettings.h"
#include "guitest.h"

namespace {
class FilesTest : public GuiTest {
  protected:
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
};
} // namespace

TEST_F(FilesTest, OpenItemDropAndRecentListNameTheInput) {
    const QString harp = stream("harp.ztb");
    whendialogopens([&harp](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(harp);
        dialog.accept();
    });
    frame().menuitem(fileopen)->trigger();
    EXPECT_EQ(doc().wavpath, joinpath(QDir(folder.path()).absolutePath().toStdString(), "harp.wav"));
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
    const std::pair<int, QString> answers[] = {{filedirectory, folder.path()},
                                               {filebitstream, "song"},
                                               {fileoutput, "take2"},
                                               {decodebitrate, "48"},
                                               {decodeber, "1e-3"}};
    for (const auto& [id, text] : answers) answer(frame(), id, text);
    frame().menuitem(quantiserqscale)->trigger();
    restart();
    EXPECT_EQ(doc().wavpath, joinpath(folder.path().toStdString(), "take2.wav"));
    EXPECT_EQ(doc().bitstreampath, joinpath(folder.path().toStdString(), "song.ztb"));
    EXPECT_EQ(doc().scaledbitrate, 48.0);
    EXPECT_EQ(doc().ber, 1e-3);
    EXPECT_EQ(doc().outputbitratemode, 1);
    frame().menuitem(filereset)->trigger();
    for (int pass = 0; pass < 2; ++pass, restart()) {
        EXPECT_EQ(doc().bitstreampath, joinpath("wav", "test.ztb"));
        EXPECT_EQ(doc().scaledbitrate, 80.0);
        EXPECT_EQ(doc().ber, 0.0);
        EXPECT_EQ(doc().outputbitratemode, 0);
    }
}
