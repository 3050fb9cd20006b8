#pragma once
// The main frame window: the menu whose captions show the settings, the command handlers,
// and the panel wrappers through which the drivers redraw the information panel. It is
// the application's main frame window (setmainframewindow) while it exists.
#include <QMainWindow>
#include <cstdint>
#include <string>

#include "app/framewindow.h"
#include "app/gui/backgroundrun.h"

class CTonvexDoc;
class CTonvexView;
class analysisdock;
class QAction;
class QKeySequence;
class QMenu;
class QPushButton;

class CMainFrame : public QMainWindow, public framewindow {
    Q_OBJECT
  public:
    // Without messages, a message box over this window shows them.
    explicit CMainFrame(CTonvexDoc* document, std::optional<messagesink> messages = {});
    ~CMainFrame() override;

    CTonvexDoc* GetActiveDocument() const { return document; }
    CTonvexView* GetActiveView() const { return view; }
    analysisdock* analysispane() const { return analysis; }

    // Writes every setting into its menu caption.
    void initmenu();

    // Caption operations: replace the caption of the item with that command id.
    void setcaption(int id, const std::string& text);
    // "%s %.0lf %s" of label, value and unit (the scaled bitrate).
    void setcaptionfixed(int id, const std::string& label, double value, const std::string& unit);
    // "%s %1.1e %s" of label, value and unit (the bit error rate).
    void setcaptionexponent(int id, const std::string& label, double value, const std::string& unit);
    // The menu item of a command id, nullptr if the menu has none.
    QAction* menuitem(int id) const;

    // Panel wrappers: draw on the view's image, then show it at once.
    void windowinitL(int32_t progress) override;
    void windowinfoL() override;
    void windownull();

    void OnFileBitstream();
    void OnFileOutput();
    void OnFileOutputBitstream();
    void OnFileDirectory();
    void OnDecodeDecode();
    void OnDecodeScale();
    void OnQuantiserQscale();
    void OnDecodeBitrate();
    void OnDecodeBer();
    // "Open bitstream..." (Ctrl+O): choose an input bitstream file; its name and folder
    // become the settings.
    void OnFileOpen();
    // The input bitstream file at path, chosen, dropped or picked from the recent ones.
    void openbitstream(const QString& path);
    // Every stored setting forgotten, the initial ones shown.
    void OnFileResetSettings();
    // Ctrl+N: the document is reused unchanged; the panel is drawn afresh.
    void OnFileNew();
    // Cancel (the button or Escape): the running operation stops at its next step.
    void OnDecodeCancel();

    // The operation started by decode or scale has not ended yet.
    bool isrunning() const { return run != nullptr; }

  Q_SIGNALS:
    // An operation has ended and its results are in the document.
    void operationended(const backgroundrun& ended);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void showmessage(const std::string& text) const { messages(text); }
    void fillrecentmenu();
    void settitle(const CTonvexDoc& doc);
    // The active document, or nullptr after showing the handler's failure message.
    CTonvexDoc* activedocument(const char* failure) const;
    QAction* additem(QMenu* menu, int id, const char* caption, void (CMainFrame::*handler)());
    QAction* addaccelerator(const QKeySequence& keys, int id, void (CMainFrame::*handler)());
    void selectmenubar();
    void buildmenu();
    void setfilenames(CTonvexDoc& doc, const QString& name);
    void setbitratemodecaption(int32_t mode);
    template <class Draw> void drawonview(const char* failure, Draw draw);
    // Decode and scale run on a worker thread; meanwhile the window shows their progress
    // and takes no new settings.
    void startoperation(backgroundrun::operation op);
    void endoperation();
    // The window is going away: a running operation is cancelled and waited for.
    void stopoperation();
    void setrunning(bool running);
    // The ended run on the analysis dock, which the first run brings into view.
    void showanalysis(const backgroundrun& ended);

    messagesink messages;
    CTonvexDoc* document;
    CTonvexView* view;
    analysisdock* analysis;
    QMenu* recentmenu = nullptr;
    framewindow* previousframe;
    backgroundrun* run = nullptr;
    int32_t runprogress = 0;
    bool shownanalysis = false;
    QPushButton* cancelbutton = nullptr;
};
