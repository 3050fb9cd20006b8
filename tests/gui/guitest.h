#pragma once
// Helpers of the window tests: a recorder for message boxes, answers to modal dialogs
// given before the command that opens them, and pixel reading.
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>
#include <ostream>
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
// Waits until the frame's running operation has ended.
void waitforoperation(const CMainFrame& frame);
// The menu caption of a command id.
std::string caption(const CMainFrame& frame, int id);

// The colour at a point given in logical pixels, on an image of any pixel density.
inline QColor pixel(const QImage& image, int x, int y) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
}
inline bool isblack(const QColor& colour) {
    return colour == QColor(0, 0, 0);
}

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
