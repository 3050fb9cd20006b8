#pragma once
// The application: one document, its frame window and view, created at start-up.
#include <memory>

class CTonvexDoc;
class CMainFrame;

class CTonvexApp {
  public:
    CTonvexApp();
    ~CTonvexApp();
    CTonvexApp(const CTonvexApp&) = delete;
    CTonvexApp& operator=(const CTonvexApp&) = delete;

    // Creates the document and the shown frame window with its view, and writes the
    // settings into the menu captions. Needs a running QApplication.
    bool InitInstance();
    // Opens the about box modally.
    void OnAppAbout();

    CMainFrame* mainframe() const { return frame.get(); }
    CTonvexDoc* document() const { return doc.get(); }

  private:
    // The document outlives the window that shows it.
    std::unique_ptr<CTonvexDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};
