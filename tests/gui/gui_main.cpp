// The window tests run headless on Qt's offscreen platform, inside one QApplication, with
// a settings store of their own that every test starts empty.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class freshsettings : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { QSettings().clear(); }
};
} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    QApplication::setOrganizationName("tonvex-tests");
    testing::UnitTest::GetInstance()->listeners().Append(new freshsettings);
    // The offscreen platform may find no system fonts; the panel text must really be drawn.
    if (QFontDatabase::families().isEmpty()) {
        const QDir dejavu("/usr/share/fonts/truetype/dejavu");
        for (const QString& file : dejavu.entryList({"*.ttf"}))
            QFontDatabase::addApplicationFont(dejavu.filePath(file));
    }
    return RUN_ALL_TESTS();
}
