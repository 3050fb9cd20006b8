#include "app/gui/runwindow.h"

#include <QApplication>
#include <QStyle>

#include "app/gui/CTonvexApp.h"

int runwindow(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("tonvex");
    QApplication::setOrganizationName("tonvex");
    QApplication::setWindowIcon(application.style()->standardIcon(QStyle::SP_MediaVolume));
    CTonvexApp app;
    return app.InitInstance() ? QApplication::exec() : 1;
}
