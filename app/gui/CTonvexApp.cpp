#include "app/gui/CTonvexApp.h"

#include <QAction>

#include "app/CTonvexDoc.h"
#include "app/gui/CAboutDlg.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/menucommands.h"

CTonvexApp::CTonvexApp() = default;
CTonvexApp::~CTonvexApp() = default;

bool CTonvexApp::InitInstance() {
    // Dialog looks and the recent-file list belong to the toolkit; no file is ever opened
    // as a document, so there is nothing to load here.
    doc = std::make_unique<CTonvexDoc>();
    frame = std::make_unique<CMainFrame>(doc.get());
    QObject::connect(frame->menuitem(menucommand::appabout), &QAction::triggered, [this] { OnAppAbout(); });
    frame->show();
    frame->initmenu();
    return true;
}

void CTonvexApp::OnAppAbout() {
    CAboutDlg about(frame.get());
    about.exec();
}
