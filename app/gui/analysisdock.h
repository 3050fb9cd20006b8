#pragma once
// The analysis view in a dock below the panel, with a scroll bar over the frames of the
// run. Hidden until the first run has ended; it can be closed and brought back from the
// Decode menu.
#include <QDockWidget>

class CTonvexDoc;
class QScrollBar;
class analysisview;
class backgroundrun;

class analysisdock : public QDockWidget {
    Q_OBJECT
  public:
    explicit analysisdock(QWidget* parent = nullptr);

    analysisview& view() const { return *timeline; }
    // The run that has just ended, from its record and the document it filled.
    void showrun(const CTonvexDoc& doc, const backgroundrun& ended);

  private:
    void followview();

    analysisview* timeline;
    QScrollBar* scroller;
};
