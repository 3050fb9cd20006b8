#include "app/gui/runwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyle>

#include "app/gui/CTonvexApp.h"
#include "base/message.h"

int runwindow(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("tonvex");
    QApplication::setWindowIcon(application.style()->standardIcon(QStyle::SP_MediaVolume));
    const messagehandler previous = setmessagehandler([](const std::string& text) {
        QMessageBox box(QMessageBox::Warning, "tonvex", QString::fromStdString(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    });
    int status = 1;
    {
        CTonvexApp app;
        if (app.InitInstance()) status = QApplication::exec();
    }
    setmessagehandler(previous);
    return status;
}
