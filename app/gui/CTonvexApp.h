#pragma once
// The application: one document, its frame window and view, created at start-up.
#include <memory>
#include <optional>

#include "base/message.h"

class CTonvexDoc;
class CMainFrame;

class CTonvexApp {
  public:
    // Messages show in a message box over the main frame window, or go to messages.
    CTonvexApp();
    explicit CTonvexApp(messagesink messages);
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
    std::optional<messagesink> messages;
};
