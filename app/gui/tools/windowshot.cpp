// Takes the picture of the window for the README: starts the window as tonvex does (with
// a settings store of its own, so the user's settings do not show), decodes the
// document's input bitstream (wav/test.ztb below the working directory) through the menu
// at a bit error rate of 1e-3, and saves the whole window (menu bar, panel and the
// analysis view) as a PNG file at the screen's pixel density.
#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/menucommands.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tonvex_windowshot OUT.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    int failures = 0;
    CTonvexApp app(messagesink([&failures](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        ++failures;
    }));
    if (!app.InitInstance()) return 1;
    CMainFrame& frame = *app.mainframe();
    app.document()->ber = 1e-3;
    frame.initmenu();
    QApplication::processEvents();
    frame.menuitem(menucommand::decodedecode)->trigger();
    while (frame.isrunning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    if (failures > 0) return 1;
    if (!frame.grab().save(argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %s\n", argv[1], app.document()->statustext.c_str());
    return 0;
}
