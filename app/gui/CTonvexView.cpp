#include "app/gui/CTonvexView.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/uifont.h"
#include "app/inforowformat.h"

namespace {
const QColor background(210, 210, 205);
const QColor panel(255, 255, 255);
const QColor progressbar(29, 96, 169);
constexpr int panelpoints = 10;

// Fills (left, top) up to but not including (right, bottom).
void fill(QPainter& dc, int left, int top, int right, int bottom, const QColor& colour) {
    if (right > left && bottom > top) dc.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

// The longest status line the drivers write: a run slower than ten times real time is
// rare enough to be cut short.
const char* const longeststatus = "decoding completed in 10.00 times real time";
constexpr int textleft = 9;
} // namespace

CTonvexView::CTonvexView(CTonvexDoc* document, messagesink messages, QWidget* parent)
    : QWidget(parent), document(document), messages(std::move(messages)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CTonvexView::minimumSizeHint() const {
    const QFontMetrics metrics(uifont(panelpoints), this);
    // The text's bottom edge lies 7 below the middle of its slot; its top must stay below
    // the slot's upper line, its bottom above the lower one.
    const int slot = std::max(16, 2 * (metrics.height() - 6));
    const int width = textleft + metrics.horizontalAdvance(longeststatus) + textleft;
    return {width, 6 * slot + 10};
}

int CTonvexView::slotline(int j) const {
    const double h = height() - 10;
    return 5 + static_cast<int>(std::floor(j * h / 6.0 + 0.5));
}

int CTonvexView::textbottom(int j) const {
    const double h = height() - 10;
    return 5 + static_cast<int>(std::floor((2 * j + 1) * h / 12.0 + 0.5)) + 7;
}

void CTonvexView::displaypanelL(QPainter& dc) {
    fill(dc, 0, 0, width() + 4, height() + 4, background);
    drawtextborderL(dc);
    displayinitL(dc, 0);
    displayinfoL(dc);
}

void CTonvexView::drawtextborderL(QPainter& dc) {
    if (!document) {
        messages("pointer error: drawtextborderL");
        return;
    }
    fill(dc, 5, 5, width() - 5, height() - 5, panel);
    drawborderlines(dc);
}

void CTonvexView::drawborderlines(QPainter& dc) const {
    const int left = 5, top = 5, right = width() - 5, bottom = height() - 5;
    // One screen pixel thick at any pixel density, as the menus' lines are.
    const QPen previous = dc.pen();
    dc.setPen(QPen(previous.color(), 0));
    dc.drawLine(left, top, left, bottom);
    dc.drawLine(left, bottom, right, bottom);
    dc.drawLine(right, bottom, right, top);
    dc.drawLine(right, top, left, top);
    for (int j = 1; j <= 5; ++j) dc.drawLine(left, slotline(j), right, slotline(j));
    dc.setPen(previous);
}

void CTonvexView::displayinitL(QPainter& dc, int32_t progress) {
    if (!document) {
        messages("pointer error: displayinitL");
        return;
    }
    if (progress >= 1) {
        // Integer arithmetic as the bar was always measured: 50 % of 412 - 12 is 200 pixels.
        const int64_t span = (static_cast<int64_t>(width()) - 12) * progress / 100;
        fill(dc, 6, 6, 6 + static_cast<int>(span), slotline(1), progressbar);
        return;
    }
    fill(dc, 6, 6, width() - 6, slotline(1), panel);
    const QFont previous = dc.font();
    dc.setFont(uifont(panelpoints));
    drawslottext(dc, 0, blanked ? std::string() : document->statustext);
    dc.setFont(previous);
}

void CTonvexView::displayinfoL(QPainter& dc) {
    if (!document) {
        messages("pointer error: displayinfoL");
        return;
    }
    const QFont previous = dc.font();
    // Rows of kind 3 (a label alone) take a second font made the same way, so one serves.
    dc.setFont(uifont(panelpoints));
    for (int k = 0; k < 5; ++k) {
        const inforow& row = blanked ? inforow{} : document->inforows[k];
        fill(dc, 5, slotline(k + 1), width() - 5, slotline(k + 2), panel);
        drawslottext(dc, k + 1, formatinforow(row.kind, row.label, row.value, row.unit, precision));
    }
    // The white fills covered the lines.
    drawborderlines(dc);
    dc.setFont(previous);
}

void CTonvexView::drawslottext(QPainter& dc, int slot, const std::string& text) const {
    // The text's bottom edge (not its baseline) on the slot's text line, cut short before
    // the right border.
    const QFontMetrics metrics = dc.fontMetrics();
    const int room = std::max(0, width() - 6 - textleft - 1);
    const QString shown = metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, room);
    dc.drawText(textleft, textbottom(slot) - metrics.descent(), shown);
}

void CTonvexView::paintEvent(QPaintEvent*) {
    QPainter screen(this);
    screen.drawImage(QPoint(0, 0), image);
}

void CTonvexView::resizeEvent(QResizeEvent* event) {
    // A new client area needs the whole panel: the frame redraws it into a fresh image.
    const qreal ratio = devicePixelRatio();
    image = QImage(event->size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    if (auto* frame = qobject_cast<CMainFrame*>(window())) frame->windownull();
}
