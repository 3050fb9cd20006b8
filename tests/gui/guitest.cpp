#include "guitest.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <utility>

#include "app/gui/CMainFrame.h"

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

std::string caption(const CMainFrame& frame, int id) {
    return frame.menuitem(id)->text().toStdString();
}
