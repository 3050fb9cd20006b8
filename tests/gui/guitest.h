#pragma once
// Helpers of the window tests: answers to modal dialogs given before the command that
// opens them.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/messages.h"

class CMainFrame;

// Runs act on the next modal dialog as soon as it is open.
void whendialogopens(std::function<void(QDialog&)> act);
// Types text into the dialog's edit field (after clearing it) and presses Enter.
void typeandenter(QDialog& dialog, const QString& text);
// Answers the next dialog with text and Enter, then runs the command that opens it.
void answer(CMainFrame& frame, int id, const QString& text);
// The menu caption of a command id.
std::string caption(const CMainFrame& frame, int id);
