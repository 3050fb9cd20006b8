#include "guitest.h"

void whendialogopens(std::function<void(QDialog&)> act) {
    auto* poll = new QTimer;
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start();
}

void typeandenter(QDialog& dialog, const QString& text) {
    auto* field = dialog.findChild<QLineEdit*>("1000");
    field->clear();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void answer(CMainFrame& frame, int id, const QString& text) {
    whendialogopens([text](QDialog& dialog) { typeandenter(dialog, text); });
    frame.menuitem(id)->trigger();
}

void waitforoperation(const CMainFrame& frame) {
    EXPECT_TRUE(QTest::qWaitFor([&frame] { return !frame.isrunning(); }, 600000));
}

std::string caption(const CMainFrame& frame, int id) {
    return frame.menuitem(id)->text().toStdString();
}

// The window tests run headless on Qt's offscreen platform, inside one QApplication, with
// a settings store of their own that every test starts empty.

class freshsettings : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { QSettings().clear(); }
};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    QApplication::setOrganizationName("tonvex-tests");
    testing::UnitTest::GetInstance()->listeners().Append(new freshsettings);
    return RUN_ALL_TESTS();
}
