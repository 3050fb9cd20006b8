#include "app/gui/backgroundrun.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <filesystem>

backgroundrun::backgroundrun(CTonvexDoc& doc, operation op, QObject* parent)
    : QObject(parent), doc(doc), op(op), outputpath(op == operation::decode ? doc.wavpath : doc.scaledpath),
      finalpath(outputpath), wavdatalimit(doc.wavdatalimit) {
    if (!prepareoutput()) {
        texts.push_back(op == operation::decode ? "cannot create output file"
                                                : "cannot create bitstream output file");
        done = true;
        QMetaObject::invokeMethod(this, &backgroundrun::finished, Qt::QueuedConnection);
        return;
    }
    previoushooks = doc.hooks;
    doc.hooks.messages = messagesink([this](const std::string& text) {
        const std::lock_guard<std::mutex> hold(textlock);
        texts.push_back(text);
    });
    doc.hooks.progress = [this](int32_t percent) { progress(percent); };
    doc.hooks.status = [this](const std::string& text) { this->doc.statustext = text; };
    doc.hooks.finished = [this](const runsummary& summary) { this->doc.takesummary(summary); };
    doc.hooks.event = [this](const driveevent& event) { trace.push_back(event); };
    worker = QThread::create([this] {
        streamjob& job = this->doc;
        this->op == operation::decode ? job.decodeZAT() : job.scaleZAT();
    });
    connect(worker, &QThread::finished, this, &backgroundrun::wrapup);
    worker->start();
}

backgroundrun::~backgroundrun() {
    if (!worker) return;
    cancel();
    worker->wait();
    if (!done) wrapup();
    delete worker;
}

bool backgroundrun::prepareoutput() {
    const QFileInfo target(QString::fromStdString(finalpath));
    // Never rename over a device, a pipe or a folder.
    if (target.exists() && !target.isFile()) return false;
    pending.setFileTemplate(target.dir().filePath(target.completeBaseName() + ".XXXXXX." + target.suffix()));
    // Where no file can be made (a missing folder) the operation is left to find out, so
    // that it reports its input first, as it always has.
    const QString name = pending.open() ? pending.fileName() : pending.fileTemplate();
    pending.close();
    temporary = QDir::toNativeSeparators(name).toStdString();
    outputpath = temporary;
    return true;
}

void backgroundrun::progress(int32_t percent) {
    // Decoding stops at its next frame when the output may grow no further; that stop
    // leaves the file unfinished, so it is never renamed into place.
    if (stopping) doc.wavdatalimit = 0;
    if (percent >= 1) Q_EMIT progressed(percent);
}

void backgroundrun::wrapup() {
    if (done) return;
    worker->wait();
    done = true;
    doc.hooks = previoushooks;
    doc.wavdatalimit = wavdatalimit;
    outputpath = finalpath;
    complete = !stopping && doc.stats.completed && texts.empty();
    if (complete) {
        std::error_code failure;
        std::filesystem::rename(temporary, finalpath, failure);
        if (failure) {
            texts.push_back("cannot create output file");
            complete = false;
        }
    }
    if (!complete) std::remove(temporary.c_str());
    if (stopping) texts.clear();
    Q_EMIT finished();
}
