#include "app/gui/CMainFrame.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <cstdio>
#include <vector>

#include "app/CTonvexDoc.h"
#include "app/gui/CTonvexView.h"
#include "app/gui/inputblocker.h"
#include "app/gui/menucommands.h"
#include "app/gui/settingdialogs.h"
#include "base/message.h"

namespace {
std::string formatcaption(const char* format, const std::string& label, double value,
                          const std::string& unit) {
    const int length = std::snprintf(nullptr, 0, format, label.c_str(), value, unit.c_str());
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1);
    std::snprintf(text.data(), text.size(), format, label.c_str(), value, unit.c_str());
    return text.data();
}
} // namespace

CMainFrame::CMainFrame(CTonvexDoc* document)
    : document(document), view(new CTonvexView(document, this)), previousframe(setmainframewindow(this)) {
    setWindowTitle("tonvex");
    setCentralWidget(view);
    buildmenu();
    // 300 x 170 (menu bar and panel), its frame's corner placed so that it is centred.
    const QSize screen = QGuiApplication::primaryScreen()->size();
    resize(300, 170);
    move(screen.width() / 2 - 150, screen.height() / 2 - 85);
}

CMainFrame::~CMainFrame() {
    setmainframewindow(previousframe);
}

QAction* CMainFrame::additem(QMenu* menu, int id, const char* caption, void (CMainFrame::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setData(id);
    if (handler) connect(item, &QAction::triggered, this, handler);
    return item;
}

void CMainFrame::buildmenu() {
    using namespace menucommand;
    QMenu* file = menuBar()->addMenu("File");
    additem(file, filebitstream, "input bitstream: harp.ztb", &CMainFrame::OnFileBitstream);
    additem(file, fileoutput, "output wav: harp.wav", &CMainFrame::OnFileOutput);
    additem(file, fileoutputbitstream, "output bitstream: harp_t.ztb", &CMainFrame::OnFileOutputBitstream);
    additem(file, filedirectory, "directory: wav", &CMainFrame::OnFileDirectory);

    QMenu* decode = menuBar()->addMenu("Decode");
    additem(decode, decodedecode, "decode bitstream", &CMainFrame::OnDecodeDecode);
    additem(decode, decodescale, "scale bitstream", &CMainFrame::OnDecodeScale);
    decode->addSeparator();
    additem(decode, quantiserqscale, "output bitrate: encoded", &CMainFrame::OnQuantiserQscale);
    additem(decode, decodebitrate, "scaled bitrate 64 kbit/s", &CMainFrame::OnDecodeBitrate);
    decode->addSeparator();
    additem(decode, decodeber, "bit error rate 1e-4", &CMainFrame::OnDecodeBer);

    // "Help" stands at the right end of the menu bar; the application routes "about".
    auto* helpbar = new QMenuBar(menuBar());
    additem(helpbar->addMenu("Help"), appabout, "about", nullptr);
    menuBar()->setCornerWidget(helpbar, Qt::TopRightCorner);

    // Accelerators without a menu item of their own.
    QAction* open = new QAction(this);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setData(fileopen);
    connect(open, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    addAction(open);
    QAction* renew = new QAction(this);
    renew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    renew->setData(filenew);
    connect(renew, &QAction::triggered, this, &CMainFrame::OnFileNew);
    addAction(renew);
}

QAction* CMainFrame::menuitem(int id) const {
    for (QAction* item : findChildren<QAction*>())
        if (item->data().toInt() == id) return item;
    return nullptr;
}

void CMainFrame::setcaption(int id, const std::string& text) {
    if (QAction* item = menuitem(id)) item->setText(QString::fromStdString(text));
}

void CMainFrame::setcaptionfixed(int id, const std::string& label, double value, const std::string& unit) {
    setcaption(id, formatcaption("%s %.0lf %s", label, value, unit));
}

void CMainFrame::setcaptionexponent(int id, const std::string& label, double value, const std::string& unit) {
    setcaption(id, formatcaption("%s %1.1e %s", label, value, unit));
}

void CMainFrame::setbitratemodecaption(int32_t mode) {
    setcaption(menucommand::quantiserqscale,
               mode == 0 ? "output bitrate: encoded" : "output bitrate: scaled");
}

void CMainFrame::initmenu() {
    CTonvexDoc* doc = GetActiveDocument();
    if (!doc || !GetActiveView()) {
        showmessage("pointer failure: initmenu()");
        return;
    }
    using namespace menucommand;
    setcaption(filebitstream, "input bitstream:  " + doc->bitstreamname);
    setcaption(fileoutput, "output wav:  " + doc->wavname);
    setcaption(fileoutputbitstream, "output bitstream:  " + doc->scaledname);
    setcaption(filedirectory, "directory:  " + doc->directory);
    setbitratemodecaption(doc->outputbitratemode);
    setcaptionfixed(decodebitrate, "scaled bitrate", doc->scaledbitrate, "kbit/s");
    setcaptionexponent(decodeber, "bit error rate", doc->ber, "");
}

CTonvexDoc* CMainFrame::activedocument(const char* failure) const {
    if (!document) showmessage(failure);
    return document;
}

// The settings change only when a dialog is accepted: Escape or the close box leave the
// setting and its caption as they were.

void CMainFrame::setfilenames(CTonvexDoc& doc, const QString& name) {
    const std::string text = name.toStdString();
    doc.bitstreamname = text + ".ztb";
    doc.wavname = text + ".wav";
    doc.scaledname = text + "_s.ztb";
    doc.updatepaths();
    setcaption(menucommand::filebitstream, "input bitstream:  " + doc.bitstreamname);
    setcaption(menucommand::fileoutput, "output wav:  " + doc.wavname);
    setcaption(menucommand::fileoutputbitstream, "output bitstream:  " + doc.scaledname);
}

void CMainFrame::OnFileBitstream() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileBitstream()");
    if (!doc) return;
    CBitstreamFileDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    setfilenames(*doc, dialog.text());
}

void CMainFrame::OnFileOutput() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileOutput()");
    if (!doc) return;
    COutputFileDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    doc->wavname = dialog.text().toStdString() + ".wav";
    doc->updatepaths();
    setcaption(menucommand::fileoutput, "output:  " + doc->wavname);
}

void CMainFrame::OnFileOutputBitstream() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileBitstream()");
    if (!doc) return;
    CBitstreamFileDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    doc->scaledname = dialog.text().toStdString() + ".ztb";
    // Scaling must never overwrite its own input: the same name gets the "_s" suffix.
    if (doc->scaledname == doc->bitstreamname)
        doc->scaledname.replace(doc->scaledname.size() - 4, 4, "_s.ztb");
    doc->updatepaths();
    setcaption(menucommand::fileoutputbitstream, "output bitstream:  " + doc->scaledname);
}

void CMainFrame::OnFileDirectory() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileDirectory()");
    if (!doc) return;
    CDirectoryDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    // An empty directory is the current directory (the paths are the bare names).
    doc->directory = dialog.text().toStdString();
    doc->updatepaths();
    setcaption(menucommand::filedirectory, "directory:  " + doc->directory);
}

void CMainFrame::OnFileOpen() {
    CTonvexDoc* doc = activedocument("pointer failure: OnFileOpen()");
    if (!doc) return;
    const QString path = QFileDialog::getOpenFileName(
        this, "open bitstream", QString::fromStdString(doc->directory), "bitstream (*.ztb)");
    if (path.isEmpty()) return;
    const QFileInfo chosen(path);
    QString name = chosen.fileName();
    if (name.endsWith(".ztb")) name.chop(4);
    doc->directory = chosen.absolutePath().toStdString();
    setcaption(menucommand::filedirectory, "directory:  " + doc->directory);
    setfilenames(*doc, name);
}

void CMainFrame::OnFileNew() {
    windownull();
}

template <class Operation> void CMainFrame::runoperation(Operation operation) {
    // The operation runs to its end on this thread; meanwhile the window still repaints
    // (windowinitL) but takes no input.
    inputblocker blocker(this);
    busy = true;
    operation();
    busy = false;
}

void CMainFrame::OnDecodeDecode() {
    CTonvexDoc* doc = activedocument("pointer failure: OnDecodeDecode()");
    if (!doc) return;
    runoperation([doc] { doc->decodeZAT(); });
}

void CMainFrame::OnDecodeScale() {
    CTonvexDoc* doc = activedocument("pointer failure: OnDecodeDecode()");
    if (!doc) return;
    runoperation([doc] { doc->scaleZAT(); });
}

void CMainFrame::OnQuantiserQscale() {
    CTonvexDoc* doc = activedocument("pointer error: OnQuantiserQscale");
    if (!doc) return;
    doc->outputbitratemode = (doc->outputbitratemode + 1) % 2;
    setbitratemodecaption(doc->outputbitratemode);
}

void CMainFrame::OnDecodeBitrate() {
    CTonvexDoc* doc = activedocument("pointer failure: OnDecodeBitrate()");
    if (!doc) return;
    CBitrateDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    doc->scaledbitrate = dialog.number() < 0.0 ? 0.0 : dialog.number();
    setcaptionfixed(menucommand::decodebitrate, "scaled bitrate", doc->scaledbitrate, "kbit/s");
}

void CMainFrame::OnDecodeBer() {
    CTonvexDoc* doc = activedocument("pointer failure: OnDecodeBer()");
    if (!doc) return;
    CBerDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    const double rate = dialog.number();
    doc->ber = rate <= 0.0 ? 0.0 : rate >= 0.002 ? 0.002 : rate;
    setcaptionexponent(menucommand::decodeber, "bit error rate", doc->ber, "");
}

template <class Draw> void CMainFrame::drawonview(const char* failure, Draw draw) {
    CTonvexView* target = GetActiveView();
    if (!target) {
        showmessage(failure);
        return;
    }
    QPainter dc(&target->canvas());
    if (!dc.isActive()) {
        showmessage("pDC error");
        return;
    }
    draw(*target, dc);
    dc.end();
    target->update();
}

void CMainFrame::windowinitL(int32_t progress) {
    drawonview("pointer failure: windowinitL()",
               [progress](CTonvexView& target, QPainter& dc) { target.displayinitL(dc, progress); });
    // The drivers call this from inside an operation: show the bar now, and let the window
    // system's paint requests through (input stays blocked).
    if (view) view->repaint();
    if (busy) QCoreApplication::processEvents();
}

void CMainFrame::windowinfoL() {
    drawonview("pointer failure: windowinfoL()",
               [](CTonvexView& target, QPainter& dc) { target.displayinfoL(dc); });
    if (view) view->repaint();
}

void CMainFrame::windownull() {
    drawonview("pointer failure: windownull()",
               [](CTonvexView& target, QPainter& dc) { target.displaypanelL(dc); });
}
