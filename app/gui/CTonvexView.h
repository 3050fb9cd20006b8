#pragma once
// The view: one information panel, a white box of six equal slots drawn straight into a
// persistent image. The top slot holds the status text or, during an operation, a progress
// bar that only grows; the five below hold the document's result rows. The paint event
// only shows the image, so what the drivers draw between two paints (the bar over the
// slot, without clearing it) stays as drawn. The "device context" of every drawing
// operation is a painter on that image. The image has the screen's pixel density while
// every coordinate stays in logical pixels, so the panel is as sharp as the menus; texts
// too long for their slot are cut short with an ellipsis.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <string>

#include "base/message.h"

class CTonvexDoc;
class QPainter;

class CTonvexView : public QWidget {
    Q_OBJECT
  public:
    // messages: where the drawing operations' failures go.
    CTonvexView(CTonvexDoc* document, messagesink messages, QWidget* parent = nullptr);

    CTonvexDoc* GetDocument() const { return document; }
    QImage& canvas() { return image; }

    // Background, border and slot lines, the status slot at progress 0, and the rows.
    void displaypanelL(QPainter& dc);
    // The white panel, its border and the five slot lines; no text.
    void drawtextborderL(QPainter& dc);
    // progress >= 1: the bar up to that percentage; <= 0: the white slot and statustext.
    void displayinitL(QPainter& dc, int32_t progress);
    // The five result rows, then the border and slot lines again.
    void displayinfoL(QPainter& dc);

    // Pixel row of slot boundary j (0..6) and the text bottom edge of slot j (0..5).
    int slotline(int j) const;
    int textbottom(int j) const;
    // The smallest client area in which the longest status line and the rows fit their
    // slots at the panel font.
    QSize minimumSizeHint() const override;
    // While set, the panel shows an empty status line and blank rows without reading the
    // document (an operation elsewhere is filling it).
    void setblank(bool blank) { blanked = blank; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void drawborderlines(QPainter& dc) const;
    void drawslottext(QPainter& dc, int slot, const std::string& text) const;

    CTonvexDoc* document;
    messagesink messages;
    QImage image;
    // Decimals of the rows; one, so 80.25 shows as 80.3.
    int32_t precision = 1;
    bool blanked = false;
};
