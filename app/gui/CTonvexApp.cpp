#include "app/gui/CTonvexApp.h"

#include <QAction>

#include "app/CTonvexDoc.h"
#include "app/gui/CAboutDlg.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/menucommands.h"
#include "app/gui/storedsettings.h"

CTonvexApp::CTonvexApp() = default;
CTonvexApp::CTonvexApp(messagesink messages) : messages(std::move(messages)) {}
CTonvexApp::~CTonvexApp() = default;

bool CTonvexApp::InitInstance() {
    // The settings of the last run come back from the user's settings store.
    doc = std::make_unique<CTonvexDoc>();
    loadsettings(*doc);
    frame = std::make_unique<CMainFrame>(doc.get(), messages);
    QObject::connect(frame->menuitem(menucommand::appabout), &QAction::triggered, [this] { OnAppAbout(); });
    frame->show();
    frame->initmenu();
    return true;
}

void CTonvexApp::OnAppAbout() {
    CAboutDlg about(frame.get());
    about.exec();
}
