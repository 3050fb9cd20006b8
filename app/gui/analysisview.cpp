#include "app/gui/analysisview.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
struct lane {
    driveevent::kinds kind;
    const char* name;
    QColor colour;
};
// Top to bottom: what lost a frame, what the decoders made of it, how the walk recovered.
const lane lanes[] = {
    {driveevent::damagedheader, "damaged header", QColor(200, 30, 30)},
    {driveevent::skippedframe, "skipped frame", QColor(230, 120, 0)},
    {driveevent::erasedframe, "erased frame", QColor(140, 50, 170)},
    {driveevent::concealedframe, "concealed frame", QColor(29, 96, 169)},
    {driveevent::passcrcfailed, "pass CRC failed", QColor(120, 80, 30)},
    {driveevent::resync, "resync", QColor(30, 140, 60)},
};
constexpr int lanecount = sizeof lanes / sizeof lanes[0];
constexpr int margin = 6, laneheight = 14, axisheight = 20;
constexpr int hovercolumns = 2; // how far from the pointer a mark still counts as hovered

const lane& laneof(driveevent::kinds kind) {
    for (const lane& candidate : lanes)
        if (candidate.kind == kind) return candidate;
    return lanes[0];
}

QString eventtext(const driveevent& event) {
    QString text = laneof(event.kind).name;
    if (event.kind == driveevent::passcrcfailed || event.kind == driveevent::concealedframe)
        text += event.channel < 0 ? QString(", joint decoder") : QString(", channel %1").arg(event.channel);
    if (event.kind == driveevent::resync) text += QString(", %1 words skipped").arg(event.words);
    return text;
}

// A tick spacing of 1, 2 or 5 times a power of ten near the wanted spacing.
double tickstep(double wanted) {
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (double step : {1.0, 2.0, 5.0})
        if (step * power >= wanted) return step * power;
    return 10.0 * power;
}
} // namespace

analysisview::analysisview(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::WheelFocus);
    setMouseTracking(true);
    setMinimumHeight(2 * margin + lanecount * laneheight + axisheight + 40);
}

QSize analysisview::sizeHint() const {
    return {600, 2 * margin + lanecount * laneheight + axisheight + 120};
}

void analysisview::showrun(int64_t frames, double fs_khz, int32_t framelen, std::vector<driveevent> events,
                           const QString& wavpath) {
    framecount = std::max<int64_t>(frames, 0);
    framesecs = fs_khz > 0.0 ? framelen / (fs_khz * 1000.0) : 0.0;
    marks = std::move(events);
    std::stable_sort(marks.begin(), marks.end(),
                     [](const driveevent& a, const driveevent& b) { return a.frame < b.frame; });
    if (wavpath.isEmpty() || !wave.open(wavpath)) wave.close();
    start = 0.0;
    span = duration();
    update();
    Q_EMIT viewchanged();
}

void analysisview::clear() {
    showrun(0, 0.0, 0, {}, {});
}

int analysisview::plotleft() const {
    int widest = 0;
    for (const lane& each : lanes) widest = std::max(widest, fontMetrics().horizontalAdvance(each.name));
    return margin + widest + margin;
}

int analysisview::waveformtop() const {
    return margin + lanecount * laneheight + axisheight;
}

std::pair<int, int> analysisview::lanerows(driveevent::kinds kind) const {
    const int index = static_cast<int>(&laneof(kind) - lanes);
    return {margin + index * laneheight, margin + (index + 1) * laneheight - 1};
}

int analysisview::columnof(double seconds) const {
    const int plotwidth = std::max(1, width() - plotleft() - margin);
    if (!(span > 0.0)) return plotleft();
    return plotleft() + static_cast<int>(std::floor((seconds - start) / span * plotwidth));
}

double analysisview::timeat(int column) const {
    return timeatx(column);
}

double analysisview::timeatx(double x) const {
    const int plotwidth = std::max(1, width() - plotleft() - margin);
    return start + (x - plotleft()) / plotwidth * span;
}

int64_t analysisview::frameat(int column) const {
    if (!(framesecs > 0.0)) return 0;
    return static_cast<int64_t>(std::floor(timeat(column) / framesecs));
}

void analysisview::setviewstart(double seconds) {
    start = std::clamp(seconds, 0.0, std::max(0.0, duration() - span));
    update();
    Q_EMIT viewchanged();
}

void analysisview::zoom(double factor, int anchor) {
    // Down to a sixteenth of a frame across the plot, up to the whole run.
    const double anchored = timeat(anchor);
    const double fraction = (timeat(anchor) - start) / (span > 0.0 ? span : 1.0);
    span = std::clamp(span * factor, std::min(duration(), framesecs / 16.0), duration());
    setviewstart(anchored - fraction * span);
}

QString analysisview::describe(const QPoint& point) const {
    if (framecount == 0 || point.x() < plotleft() || point.x() >= width() - margin) return {};
    int64_t frame = frameat(point.x());
    if (frame >= framecount) return {};
    // The nearest marked frame within reach of the pointer, in the lane under it if any.
    const driveevent::kinds* only = nullptr;
    for (const lane& each : lanes)
        if (const auto rows = lanerows(each.kind); point.y() >= rows.first && point.y() <= rows.second)
            only = &each.kind;
    const int64_t low = frameat(point.x() - hovercolumns), high = frameat(point.x() + hovercolumns);
    int64_t nearest = -1;
    for (auto it = std::lower_bound(marks.begin(), marks.end(), low,
                                    [](const driveevent&e, int64_t f) { return e.frame < f; });
         it != marks.end() && it->frame <= high; ++it)
        if ((!only || it->kind == *only) &&
            (nearest < 0 || std::llabs(it->frame - frame) < std::llabs(nearest - frame)))
            nearest = it->frame;
    if (nearest >= 0) frame = nearest;
    QString text =
        QString("frame %1 at %2 s").arg(frame).arg(static_cast<double>(frame) * framesecs, 0, 'f', 3);
    for (const driveevent& event : marks)
        if (event.frame == frame && (!only || event.kind == *only)) text += "\n" + eventtext(event);
    return text;
}

bool analysisview::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = describe(help->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void analysisview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // Between the start of a run and its end there is nothing to show.
    if (framecount == 0 || !(framesecs > 0.0)) return;
    drawlanes(painter);
    drawaxis(painter);
    drawwaveform(painter);
}

void analysisview::drawlanes(QPainter& painter) const {
    const int left = plotleft(), right = width() - margin;
    for (const lane& each : lanes) {
        const auto [top, bottom] = lanerows(each.kind);
        painter.setPen(Qt::black);
        painter.drawText(QRect(margin, top, left - 2 * margin, laneheight), Qt::AlignVCenter | Qt::AlignLeft,
                         each.name);
        painter.fillRect(QRect(left, top + 1, right - left, laneheight - 2), QColor(245, 245, 242));
    }
    // Only the marks in view, and one per lane and pixel column: a long run at a high
    // error rate has far more events than the plot has columns.
    const auto first = std::lower_bound(marks.begin(), marks.end(), static_cast<int64_t>(start / framesecs),
                                        [](const driveevent& e, int64_t f) { return e.frame < f; });
    int drawn[lanecount];
    std::fill(std::begin(drawn), std::end(drawn), -1);
    for (auto it = first; it != marks.end(); ++it) {
        const int from = std::max(left, columnof(static_cast<double>(it->frame) * framesecs));
        if (from >= right) break;
        const int to = std::min(right, columnof(static_cast<double>(it->frame + 1) * framesecs));
        int& last = drawn[&laneof(it->kind) - lanes];
        if (to <= last) continue;
        last = std::max(to, from + 1);
        const auto [top, bottom] = lanerows(it->kind);
        painter.fillRect(QRect(from, top + 1, std::max(1, to - from), laneheight - 2),
                         laneof(it->kind).colour);
    }
}

void analysisview::drawaxis(QPainter& painter) const {
    const int left = plotleft(), right = width() - margin;
    const int top = margin + lanecount * laneheight;
    painter.setPen(Qt::black);
    painter.drawLine(left, top + 2, right, top + 2);
    const double step = tickstep(span / std::max(1, (right - left) / 90));
    for (double t = std::ceil(start / step) * step; t <= start + span; t += step) {
        const int x = columnof(t);
        painter.drawLine(x, top + 2, x, top + 6);
        painter.drawText(QRect(x + 2, top + 3, 90, axisheight - 3), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(t, 'g', 6) + " s");
    }
}

void analysisview::drawwaveform(QPainter& painter) const {
    const int left = plotleft(), right = width() - margin;
    const int top = waveformtop(), bottom = height() - margin;
    if (bottom - top < 4) return;
    painter.fillRect(QRect(left, top, right - left, bottom - top), QColor(248, 248, 246));
    const double middle = (top + bottom) / 2.0, half = (bottom - top) / 2.0;
    painter.setPen(QColor(200, 200, 200));
    painter.drawLine(left, static_cast<int>(middle), right, static_cast<int>(middle));
    if (wave.frames() == 0) {
        painter.setPen(Qt::gray);
        painter.drawText(QRect(left, top, right - left, bottom - top), Qt::AlignCenter, "no decoded output");
        return;
    }
    // One column per screen pixel, so the waveform is as sharp as the text beside it.
    painter.setPen(QPen(QColor(29, 96, 169), 0));
    const double rate = wave.rate();
    const double ratio = devicePixelRatio();
    const int columns = static_cast<int>((right - left) * ratio);
    for (int c = 0; c < columns; ++c) {
        const double x = left + c / ratio;
        const auto first = static_cast<int64_t>(std::floor(timeatx(x) * rate));
        const auto last =
            std::max(first + 1, static_cast<int64_t>(std::floor(timeatx(x + 1 / ratio) * rate)));
        if (first >= wave.frames()) break;
        const auto [low, high] = wave.range(first, last);
        painter.drawLine(QLineF(x, middle - high / 32768.0 * half, x, middle - low / 32768.0 * half));
    }
}

void analysisview::wheelEvent(QWheelEvent* event) {
    const QPoint steps = event->angleDelta() / 120;
    if (steps.x() != 0 || event->modifiers() & Qt::ShiftModifier)
        setviewstart(start - (steps.x() + steps.y()) * span / 10.0);
    else if (steps.y() != 0)
        zoom(std::pow(0.8, steps.y()), static_cast<int>(event->position().x()));
    event->accept();
}

void analysisview::mousePressEvent(QMouseEvent* event) {
    dragcolumn = static_cast<int>(event->position().x());
    dragstart = start;
}

void analysisview::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || dragcolumn < 0) return;
    const int plotwidth = std::max(1, width() - plotleft() - margin);
    setviewstart(dragstart - (event->position().x() - dragcolumn) / plotwidth * span);
}

void analysisview::keyPressEvent(QKeyEvent* event) {
    const int centre = (plotleft() + width() - margin) / 2;
    switch (event->key()) {
    case Qt::Key_Left:
        setviewstart(start - span / 10.0);
        break;
    case Qt::Key_Right:
        setviewstart(start + span / 10.0);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoom(0.5, centre);
        break;
    case Qt::Key_Minus:
        zoom(2.0, centre);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
