// Takes the picture of the window for the README: starts the window as tonvex does,
// decodes the document's input bitstream (wav/test.ztb below the working directory)
// through the menu, and saves the whole window (menu bar and panel) as a PNG file.
#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/menucommands.h"
#include "base/message.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tonvex_windowshot OUT.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    int failures = 0;
    setmessagehandler([&failures](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        ++failures;
    });
    CTonvexApp app;
    if (!app.InitInstance()) return 1;
    QApplication::processEvents();
    app.mainframe()->menuitem(menucommand::decodedecode)->trigger();
    QApplication::processEvents();
    if (failures > 0) return 1;
    if (!app.mainframe()->grab().save(argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %s\n", argv[1], app.document()->statustext.c_str());
    return 0;
}
