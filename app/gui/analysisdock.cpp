#include "app/gui/analysisdock.h"

#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "app/CTonvexDoc.h"
#include "app/gui/analysisview.h"
#include "app/gui/backgroundrun.h"

analysisdock::analysisdock(QWidget* parent)
    : QDockWidget("Analysis", parent), timeline(new analysisview), scroller(new QScrollBar(Qt::Horizontal)) {
    setObjectName("analysis");
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(timeline, 1);
    layout->addWidget(scroller);
    setWidget(body);
    toggleViewAction()->setText("Analysis view");
    // The scroll bar counts frames.
    connect(timeline, &analysisview::viewchanged, this, &analysisdock::followview);
    connect(scroller, &QScrollBar::actionTriggered, this,
            [this] { timeline->setviewstart(scroller->sliderPosition() * timeline->frameseconds()); });
}

void analysisdock::showrun(const CTonvexDoc& doc, const backgroundrun& ended) {
    const bool decoded = ended.kind() == backgroundrun::operation::decode && ended.completed();
    timeline->showrun(doc.stats.frameshandled, doc.fs_khz, doc.framelen, ended.events(),
                      decoded ? QString::fromStdString(doc.wavpath) : QString());
}

void analysisdock::followview() {
    const double frame = timeline->frameseconds();
    const int frames = frame > 0.0 ? static_cast<int>(std::llround(timeline->duration() / frame)) : 0;
    const int shown = frame > 0.0 ? static_cast<int>(std::llround(timeline->viewspan() / frame)) : 0;
    const QSignalBlocker quiet(scroller);
    scroller->setRange(0, std::max(0, frames - shown));
    scroller->setPageStep(std::max(1, shown));
    scroller->setValue(frame > 0.0 ? static_cast<int>(std::llround(timeline->viewstart() / frame)) : 0);
}
