#include "app/gui/CMainFrame.h"

#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/CTonvexDoc.h"
#include "app/gui/CTonvexView.h"
#include "app/gui/analysisdock.h"
#include "app/gui/menubarstyle.h"
#include "app/gui/menucommands.h"
#include "app/gui/messagebox.h"
#include "app/gui/settingdialogs.h"
#include "app/gui/storedsettings.h"

namespace {
std::string formatcaption(const char* format, const std::string& label, double value,
                          const std::string& unit) {
    const int length = std::snprintf(nullptr, 0, format, label.c_str(), value, unit.c_str());
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1);
    std::snprintf(text.data(), text.size(), format, label.c_str(), value, unit.c_str());
    return text.data();
}
} // namespace

CMainFrame::CMainFrame(CTonvexDoc* document, std::optional<messagesink> messages)
    : messages(messages ? *std::move(messages) : messageboxsink(this)), document(document),
      view(new CTonvexView(document, this->messages, this)), analysis(new analysisdock(this)),
      previousframe(document ? std::exchange(document->window, this) : nullptr) {
    setWindowTitle("tonvex");
    setCentralWidget(view);
    setAcceptDrops(true);
    addDockWidget(Qt::BottomDockWidgetArea, analysis);
    analysis->hide();
    connect(this, &CMainFrame::operationended, this, &CMainFrame::showanalysis);
    buildmenu();
    // 300 x 170 (menu bar and panel), or as much more as the panel's text needs, its
    // frame's corner placed so that it is centred.
    const QSize screen = QGuiApplication::primaryScreen()->size();
    resize(QSize(300, 170).expandedTo(minimumSizeHint()));
    move(screen.width() / 2 - width() / 2, screen.height() / 2 - height() / 2);
}

CMainFrame::~CMainFrame() {
    stopoperation();
    if (document) document->window = previousframe;
}

QAction* CMainFrame::additem(QMenu* menu, int id, const char* caption, void (CMainFrame::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setData(id);
    if (handler) connect(item, &QAction::triggered, this, handler);
    return item;
}

QAction* CMainFrame::addaccelerator(const QKeySequence& keys, int id, void (CMainFrame::*handler)()) {
    auto* key = new QAction(this);
    key->setShortcut(keys);
    key->setData(id);
    connect(key, &QAction::triggered, this, handler);
    addAction(key);
    return key;
}

void CMainFrame::selectmenubar() {
    menuBar()->setActiveAction(menuBar()->actions().first());
}

void CMainFrame::buildmenu() {
    using namespace menucommand;
    // Alt+F, Alt+D and Alt+H open the three menus; the captions read as before.
    QMenu* file = menuBar()->addMenu("&File");
    additem(file, filebitstream, "input bitstream: harp.ztb", &CMainFrame::OnFileBitstream);
    additem(file, fileoutput, "output wav: harp.wav", &CMainFrame::OnFileOutput);
    additem(file, fileoutputbitstream, "output bitstream: harp_t.ztb", &CMainFrame::OnFileOutputBitstream);
    additem(file, filedirectory, "directory: wav", &CMainFrame::OnFileDirectory);
    file->addSeparator();
    additem(file, fileopen, "Open bitstream...", &CMainFrame::OnFileOpen)->setShortcut(QKeySequence::Open);
    recentmenu = file->addMenu("Recent bitstreams");
    recentmenu->setObjectName("recent");
    connect(recentmenu, &QMenu::aboutToShow, this, &CMainFrame::fillrecentmenu);
    file->addSeparator();
    additem(file, filereset, "Reset settings", &CMainFrame::OnFileResetSettings);

    QMenu* decode = menuBar()->addMenu("&Decode");
    additem(decode, decodedecode, "decode bitstream", &CMainFrame::OnDecodeDecode);
    additem(decode, decodescale, "scale bitstream", &CMainFrame::OnDecodeScale);
    decode->addSeparator();
    additem(decode, quantiserqscale, "output bitrate: encoded", &CMainFrame::OnQuantiserQscale);
    additem(decode, decodebitrate, "scaled bitrate 64 kbit/s", &CMainFrame::OnDecodeBitrate);
    decode->addSeparator();
    additem(decode, decodeber, "bit error rate 1e-4", &CMainFrame::OnDecodeBer);
    decode->addSeparator();
    decode->addAction(analysis->toggleViewAction());

    // "Help" stands at the right end of the same menu bar, so the keyboard and the mouse
    // move between all three menus; the application routes "about".
    auto* style = new menubarstyle;
    style->setParent(menuBar());
    menuBar()->setStyle(style);
    menuBar()->addSeparator();
    additem(menuBar()->addMenu("&Help"), appabout, "about", nullptr);
    // Keys without a menu item of their own: F10 selects the menu bar as Alt does, Escape
    // cancels a running operation, Ctrl+N draws the panel afresh.
    addaccelerator(QKeySequence(Qt::Key_F10), 0, &CMainFrame::selectmenubar);
    addaccelerator(QKeySequence(Qt::Key_Escape), decodecancel, &CMainFrame::OnDecodeCancel)
        ->setEnabled(false);
    addaccelerator(QKeySequence(Qt::CTRL | Qt::Key_N), filenew, &CMainFrame::OnFileNew);
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
    settitle(*doc);
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
    settitle(doc);
    savesettings(doc);
}

void CMainFrame::settitle(const CTonvexDoc& doc) {
    setWindowTitle(QString::fromStdString(doc.bitstreamname) + " - tonvex");
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
    savesettings(*doc);
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
    savesettings(*doc);
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
    savesettings(*doc);
}

void CMainFrame::OnFileNew() {
    windownull();
}

void CMainFrame::OnQuantiserQscale() {
    CTonvexDoc* doc = activedocument("pointer error: OnQuantiserQscale");
    if (!doc) return;
    doc->outputbitratemode = (doc->outputbitratemode + 1) % 2;
    setbitratemodecaption(doc->outputbitratemode);
    savesettings(*doc);
}

void CMainFrame::OnDecodeBitrate() {
    CTonvexDoc* doc = activedocument("pointer failure: OnDecodeBitrate()");
    if (!doc) return;
    CBitrateDlg dialog(messages, this);
    if (dialog.exec() != QDialog::Accepted) return;
    doc->scaledbitrate = dialog.number() < 0.0 ? 0.0 : dialog.number();
    setcaptionfixed(menucommand::decodebitrate, "scaled bitrate", doc->scaledbitrate, "kbit/s");
    savesettings(*doc);
}

void CMainFrame::OnDecodeBer() {
    CTonvexDoc* doc = activedocument("pointer failure: OnDecodeBer()");
    if (!doc) return;
    CBerDlg dialog(messages, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const double rate = dialog.number();
    doc->ber = rate <= 0.0 ? 0.0 : rate >= 0.002 ? 0.002 : rate;
    setcaptionexponent(menucommand::decodeber, "bit error rate", doc->ber, "");
    savesettings(*doc);
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
}

void CMainFrame::windowinfoL() {
    drawonview("pointer failure: windowinfoL()",
               [](CTonvexView& target, QPainter& dc) { target.displayinfoL(dc); });
}

void CMainFrame::windownull() {
    drawonview("pointer failure: windownull()",
               [](CTonvexView& target, QPainter& dc) { target.displaypanelL(dc); });
    // A panel redrawn during a run shows how far the run has come.
    if (run && runprogress > 0) windowinitL(runprogress);
}
