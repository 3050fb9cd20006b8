// The input bitstream chosen, dropped or taken from the recent ones; settings reset.
#include "app/gui/CMainFrame.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>

#include "app/CTonvexDoc.h"
#include "app/gui/menucommands.h"
#include "app/gui/storedsettings.h"

void CMainFrame::OnFileOpen() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileOpen()");
    if (!doc) return;
    const QString path = QFileDialog::getOpenFileName(
        this, "open bitstream", QString::fromStdString(doc->directory), "bitstream (*.ztb)");
    if (!path.isEmpty()) openbitstream(path);
}

void CMainFrame::openbitstream(const QString& path) {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileOpen()");
    if (!doc) return;
    const QFileInfo chosen(path);
    QString name = chosen.fileName();
    if (name.endsWith(".ztb")) name.chop(4);
    doc->directory = chosen.absolutePath().toStdString();
    setcaption(menucommand::filedirectory, "directory:  " + doc->directory);
    setfilenames(*doc, name);
    addrecentfile(chosen.absoluteFilePath());
}

void CMainFrame::fillrecentmenu() {
    recentmenu->clear();
    for (const QString& path : recentfiles())
        connect(recentmenu->addAction(path), &QAction::triggered, this, [this, path] {
            if (QFileInfo(path).isFile()) {
                openbitstream(path);
                return;
            }
            removerecentfile(path);
            showmessage("cannot find bitstream file");
        });
    if (recentmenu->isEmpty()) recentmenu->addAction("(none)")->setEnabled(false);
}

void CMainFrame::OnFileResetSettings() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileResetSettings()");
    if (!doc) return;
    resetsettings(*doc);
    initmenu();
}

namespace {
// The local .ztb file that a drag carries, or an empty text.
QString droppedbitstream(const QMimeData* data) {
    if (!data || data->urls().size() != 1) return {};
    const QString path = data->urls().front().toLocalFile();
    return path.endsWith(".ztb") && QFileInfo(path).isFile() ? path : QString();
}
} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!run && !droppedbitstream(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = droppedbitstream(event->mimeData());
    // The document is the running operation's until it ends.
    if (path.isEmpty() || run) return;
    event->acceptProposedAction();
    openbitstream(path);
}
