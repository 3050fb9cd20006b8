#pragma once
// Helpers of the window tests: a started window, and answers to modal dialogs given
// before the command that opens them.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/menucommands.h"
#include "tests/support/messages.h"

using namespace menucommand;

// Runs act on the next modal dialog as soon as it is open.
void whendialogopens(std::function<void(QDialog&)> act);
// Types text into the dialog's edit field (after clearing it) and presses Enter.
void typeandenter(QDialog& dialog, const QString& text);
// Answers the next dialog with text and Enter, then runs the command that opens it.
void answer(CMainFrame& frame, int id, const QString& text);
// Waits until the frame's running operation has ended.
void waitforoperation(const CMainFrame& frame);
// The menu caption of a command id.
std::string caption(const CMainFrame& frame, int id);

// A started window with a folder of its own; its messages are recorded, not shown.
class GuiTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app->InitInstance()); }
    CMainFrame& frame() { return *app->mainframe(); }
    CTonvexDoc& doc() { return *app->document(); }
    // The bundled sample as the folder's song.ztb, chosen as the input.
    void opensample() {
        ASSERT_TRUE(QFile::copy(QDir::current().filePath("wav/test.ztb"), folder.filePath("song.ztb")));
        answer(frame(), filedirectory, folder.path());
        answer(frame(), filebitstream, "song");
    }
    // A new start of the window on the stored settings.
    void restart() {
        app = std::make_unique<CTonvexApp>(messages.sink());
        ASSERT_TRUE(app->InitInstance());
    }

    QTemporaryDir folder;
    messagerecorder messages;
    std::unique_ptr<CTonvexApp> app = std::make_unique<CTonvexApp>(messages.sink());
};
