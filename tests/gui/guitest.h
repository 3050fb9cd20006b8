#pragma once
// Helpers of the window tests: a recorder for message boxes, answers to modal dialogs
// given before the command that opens them, and pixel reading.
#include <QColor>
#include <QDialog>
#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "base/message.h"

class CMainFrame;

// Collects every message box text while it exists instead of showing it.
class messagerecorder {
  public:
    messagerecorder();
    ~messagerecorder();
    std::vector<std::string> texts;

  private:
    messagehandler previous;
};

// Runs act on the next modal dialog as soon as it is open.
void whendialogopens(std::function<void(QDialog&)> act);
// Types text into the dialog's edit field (after clearing it) and presses Enter.
void typeandenter(QDialog& dialog, const QString& text);
// Answers the next dialog with text and Enter, then runs the command that opens it.
void answer(CMainFrame& frame, int id, const QString& text);
// The menu caption of a command id.
std::string caption(const CMainFrame& frame, int id);

inline QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}
inline bool isblack(const QColor& colour) {
    return colour == QColor(0, 0, 0);
}
