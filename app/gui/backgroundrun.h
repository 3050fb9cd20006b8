#pragma once
// One operation of the document (decode or scale) on a worker thread, so that the window
// stays live while it runs. Only one runs at a time in a window: the document and its
// hooks are the run's until it has finished. Meanwhile the worker's progress arrives as
// the signal progressed, its messages and events are kept for the end, and its output is
// written under a temporary name beside the final one, renamed only when the run
// completes; a cancelled or failed run leaves none.
#include <QObject>
#include <QTemporaryFile>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "app/CTonvexDoc.h"

class QThread;

class backgroundrun : public QObject {
    Q_OBJECT
  public:
    enum class operation { decode, scale };
    // Starts the operation at once; the document must stay untouched until finished.
    backgroundrun(CTonvexDoc& doc, operation op, QObject* parent = nullptr);
    // Cancels a run still going and waits for it.
    ~backgroundrun() override;

    // Asks the run to stop at its next progress step; any thread.
    void cancel() { stopping = true; }
    bool cancelled() const { return stopping; }
    operation kind() const { return op; }
    bool isfinished() const { return done; }
    // After finished: whether the output is complete and in place, the messages of the
    // run (none are kept from a cancelled one) and the trace of its frames.
    bool completed() const { return complete; }
    const std::vector<std::string>& messages() const { return texts; }
    const std::vector<driveevent>& events() const { return trace; }

  Q_SIGNALS:
    void progressed(int percent);
    void finished();

  private:
    // The engine's progress, on the worker thread: a cancelled decode stops at its next
    // frame.
    void progress(int32_t percent);
    // Back on the window's thread once the worker has ended.
    void wrapup();
    // Points the document's output at a fresh temporary file; false if the final name is
    // not a file that may be replaced.
    bool prepareoutput();

    CTonvexDoc& doc;
    operation op;
    std::string& outputpath;
    std::string finalpath;
    QTemporaryFile pending;
    std::string temporary;
    uint64_t wavdatalimit;
    QThread* worker = nullptr;
    runhooks previoushooks;
    std::mutex textlock;
    std::vector<std::string> texts;
    std::vector<driveevent> trace;
    std::atomic<bool> stopping{false};
    bool done = false;
    bool complete = false;
};
