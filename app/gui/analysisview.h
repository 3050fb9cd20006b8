#pragma once
// The frames of the last run on a time line: one lane per kind of event (damaged header,
// skipped, erased and concealed frames, resyncs, failed pass CRCs) with a mark at the
// time of every event, a time axis, and below them the decoded waveform as the lowest and
// highest sample under each pixel column. The wheel zooms around the pointer, dragging or
// the arrow keys scroll, + and - zoom; hovering names the frame, its time and its events.
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/CTonvexDoc.h"
#include "app/gui/waveformsummary.h"

class analysisview : public QWidget {
    Q_OBJECT
  public:
    explicit analysisview(QWidget* parent = nullptr);

    // A run of frames frames of framelen samples at fs_khz, its events in frame order,
    // and its decoded output (an empty path: none).
    void showrun(int64_t frames, double fs_khz, int32_t framelen, std::vector<driveevent> events,
                 const QString& wavpath);
    void clear();

    const std::vector<driveevent>& events() const { return marks; }
    const waveformsummary& waveform() const { return wave; }
    // Seconds of one frame and of the whole run.
    double frameseconds() const { return framesecs; }
    double duration() const { return static_cast<double>(framecount) * framesecs; }

    // The part of the run in view, in seconds, and the pixel column of a time.
    double viewstart() const { return start; }
    double viewspan() const { return span; }
    int columnof(double seconds) const;
    double timeat(int column) const;
    // Moves the view (clamped to the run) and zooms by factor around a pixel column.
    void setviewstart(double seconds);
    void zoom(double factor, int anchor);
    // What hovering at point shows: the frame, its time and its events there.
    QString describe(const QPoint& point) const;
    // Where the lane of an event kind lies, top and bottom rows.
    std::pair<int, int> lanerows(driveevent::kinds kind) const;

  Q_SIGNALS:
    void viewchanged();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override;

  private:
    int plotleft() const;
    int waveformtop() const;
    void drawlanes(QPainter& painter) const;
    void drawaxis(QPainter& painter) const;
    void drawwaveform(QPainter& painter) const;
    int64_t frameat(int column) const;
    // The time at a position between pixel columns.
    double timeatx(double x) const;

    int64_t framecount = 0;
    double framesecs = 0.0;
    std::vector<driveevent> marks;
    waveformsummary wave;
    double start = 0.0, span = 0.0;
    int dragcolumn = -1;
    double dragstart = 0.0;
};
