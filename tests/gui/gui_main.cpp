// The window tests run headless on Qt's offscreen platform, inside one QApplication.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The offscreen platform may find no system fonts; the panel text must really be drawn.
    if (QFontDatabase::families().isEmpty()) {
        const QDir dejavu("/usr/share/fonts/truetype/dejavu");
        for (const QString& file : dejavu.entryList({"*.ttf"}))
            QFontDatabase::addApplicationFont(dejavu.filePath(file));
    }
    return RUN_ALL_TESTS();
}
