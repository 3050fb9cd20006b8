// Decode and scale on a worker thread: the window stays live, shows the growing bar, takes
// Cancel or Escape, and shows the results (or the run's messages) when it has ended.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexView.h"
#include "app/gui/analysisdock.h"
#include "app/gui/analysisview.h"
#include "app/gui/menucommands.h"

void CMainFrame::OnDecodeDecode() {
    if (!activedocument("pointer failure: OnDecodeDecode()")) return;
    startoperation(backgroundrun::operation::decode);
}

void CMainFrame::OnDecodeScale() {
    if (!activedocument("pointer failure: OnDecodeDecode()")) return;
    startoperation(backgroundrun::operation::scale);
}

void CMainFrame::OnDecodeCancel() {
    if (run) run->cancel();
}

void CMainFrame::startoperation(backgroundrun::operation op) {
    if (run) return;
    analysis->view().clear();
    // The rows and status of an earlier run must not stand beside a new or failed one;
    // until the run ends the panel does not read the document the worker fills.
    for (inforow& row : document->inforows) row = inforow{};
    document->statustext.clear();
    windownull();
    view->setblank(true);
    setrunning(true);
    run = new backgroundrun(*document, op, this);
    connect(run, &backgroundrun::progressed, this, [this](int percent) {
        runprogress = percent;
        windowinitL(percent);
    });
    connect(run, &backgroundrun::finished, this, &CMainFrame::endoperation);
}

void CMainFrame::endoperation() {
    backgroundrun* ended = run;
    run = nullptr;
    runprogress = 0;
    setrunning(false);
    view->setblank(false);
    if (ended->cancelled())
        document->statustext =
            ended->kind() == backgroundrun::operation::decode ? "decoding cancelled" : "scaling cancelled";
    windownull();
    Q_EMIT operationended(*ended);
    for (const std::string& text : ended->messages()) showmessage(text);
    ended->deleteLater();
}

void CMainFrame::stopoperation() {
    if (!run) return;
    disconnect(run, nullptr, this, nullptr);
    delete run;
    run = nullptr;
}

void CMainFrame::setrunning(bool running) {
    using namespace menucommand;
    // The menus still open, to be read; what would change the document waits.
    for (int id : {filebitstream, fileoutput, fileoutputbitstream, filedirectory, fileopen, filereset,
                   decodedecode, decodescale, quantiserqscale, decodebitrate, decodeber, filenew})
        if (QAction* item = menuitem(id)) item->setEnabled(!running);
    recentmenu->setEnabled(!running);
    menuitem(decodecancel)->setEnabled(running);
    if (!cancelbutton) {
        cancelbutton = new QPushButton("Cancel", this);
        connect(cancelbutton, &QPushButton::clicked, this, &CMainFrame::OnDecodeCancel);
        statusBar()->addPermanentWidget(cancelbutton);
    }
    statusBar()->setVisible(running);
    if (running) {
        statusBar()->showMessage(QString::fromStdString(document->bitstreamname));
        setCursor(Qt::BusyCursor);
    } else {
        statusBar()->clearMessage();
        unsetCursor();
    }
}

void CMainFrame::showanalysis(const backgroundrun& ended) {
    analysis->showrun(*document, ended);
    if (shownanalysis) return;
    shownanalysis = true;
    analysis->show();
    resize(size().expandedTo(QSize(640, 480)));
}
