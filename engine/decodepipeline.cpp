#include "engine/decodepipeline.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/io/pcmsink.h"
#include "engine/io/wordio.h"
#include "engine/runreport.h"

namespace {
// Frames the first stage may run ahead: enough to even out frames that cost one stage
// more than the other (concealment, short blocks), few enough to stay in the cache.
constexpr int64_t ring = 16;
// A stage that waits is woken only once the other has left it this many frames to work
// on (or is about to wait itself, or has stopped): each sleep and wake costs a system
// call and a switch, so the stages take turns in batches, not frame by frame.
constexpr int64_t batch = ring / 2;
} // namespace

hookrelay::hookrelay(streamjob& job) : outer(job.hooks), doc(job) {
    doc.hooks.messages = messagesink([this](const std::string& text) {
        if (recording == nullptr)
            outer.messages(text);
        else
            recording->push_back({frameaction::message, {}, text, 0});
    });
    doc.hooks.event = [this](const driveevent& event) {
        if (recording != nullptr)
            recording->push_back({frameaction::event, event, {}, 0});
        else if (outer.event)
            outer.event(event);
    };
}

int32_t decodethreads(int32_t setting) {
    if (setting == 1) return 1;
    if (setting >= 2) return 2;
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

decodepipeline::decodepipeline(streamjob& job, hookrelay& hooks, framereader& walk, framedecoder& decoder,
                               std::FILE* file)
    : doc(job), relay(hooks), reader(walk), decoders(decoder), output(file),
      framevalues(decoder.nch * job.framelen), framebytes(static_cast<uint64_t>(framevalues) * 2) {}

decodepipeline::ending decodepipeline::run(int32_t threads) {
    return decodethreads(threads) >= 2 ? runthreaded() : runinline();
}

decodepipeline::ending decodepipeline::runinline() {
    records.resize(1);
    decoders.prepare(records[0]);
    for (int64_t n = 0;; n++) {
        started = n + 1;
        analyse(records[0], n);
        const step last = deliver(records[0]);
        if (last != step::next) return finish(last, n);
    }
}

decodepipeline::ending decodepipeline::runthreaded() {
    records.resize(ring);
    for (framerecord& record : records) decoders.prepare(record);
    // Frames the first stage has finished and the second has taken, and which stage is
    // asleep, under lock.
    std::mutex lock;
    std::condition_variable changed;
    int64_t produced = 0, consumed = 0;
    bool stop = false, walkerwaits = false, writerwaits = false;
    const auto first = [&] {
        for (int64_t n = 0;; n++) {
            {
                std::unique_lock<std::mutex> hold(lock);
                if (n - consumed >= ring && !stop) {
                    if (writerwaits) changed.notify_all();
                    walkerwaits = true;
                    changed.wait(hold, [&] { return n - consumed < ring || stop; });
                    walkerwaits = false;
                }
                if (stop) return;
            }
            started = n + 1;
            const bool more = analyse(records[static_cast<size_t>(n % ring)], n);
            {
                const std::lock_guard<std::mutex> hold(lock);
                produced = n + 1;
                if (writerwaits && (!more || produced - consumed >= batch)) changed.notify_all();
            }
            if (!more) return;
        }
    };
    std::thread walker;
    try {
        walker = std::thread(first);
    } catch (const std::system_error&) {
        return runinline(); // no thread to be had: the same loop on this one
    }

    int64_t n = 0;
    step last = step::next;
    for (;; n++) {
        {
            std::unique_lock<std::mutex> hold(lock);
            if (produced <= n) {
                if (walkerwaits) changed.notify_all();
                writerwaits = true;
                changed.wait(hold, [&] { return produced > n; });
                writerwaits = false;
            }
        }
        last = deliver(records[static_cast<size_t>(n % ring)]);
        if (last != step::next) break;
        {
            const std::lock_guard<std::mutex> hold(lock);
            consumed = n + 1;
            if (walkerwaits && ring - (produced - consumed) >= batch) changed.notify_all();
        }
    }
    // The record the second stage stopped at is never released, so the first stage
    // cannot reuse its slot: it keeps the counts from before that frame.
    {
        const std::lock_guard<std::mutex> hold(lock);
        stop = true;
    }
    changed.notify_all();
    walker.join();
    return finish(last, n);
}

bool decodepipeline::analyse(framerecord& record, int64_t frameno) {
    record.actions.clear();
    record.before.stats = doc.stats;
    record.before.nbiterrors = doc.nbiterrors;
    record.before.nbitsseen = doc.nbitsseen;
    record.before.random = doc.random.state();
    if (reader.bytesleft < 16) {
        record.kind = framerecord::end;
        return false;
    }
    relay.recording = &record.actions;
    const framereader::frame next = reader.next(frameno);
    if (next == framereader::frame::failed) {
        relay.recording = nullptr;
        record.kind = framerecord::failed;
        return false;
    }
    const bool lost = next == framereader::frame::lost;
    const int64_t length = lost ? reader.prevwords : reader.flen;
    inputwords += length;
    decodedwords += doc.outputbitratemode == 0 ? length : std::min<int64_t>(length, decoders.scaledlength);
    // An erased frame was read like any other, so the walk stays in step; only the
    // decoders see it as lost.
    const bool erased = doc.eraseframe(frameno);
    decoders.analyse(lost || erased, frameno, record);
    relay.recording = nullptr;
    record.percent = progresspercent(reader.filelength - reader.bytesleft, reader.filelength);
    record.kind = framerecord::frame;
    return true;
}

decodepipeline::step decodepipeline::deliver(const framerecord& record) {
    if (record.kind == framerecord::end) return step::finished;
    if ((static_cast<uint64_t>(frames) + 1) * framebytes > doc.wavdatalimit) {
        // Stop at the last frame that fits and leave a valid WAV file of it.
        relay.outer.messages("output file too large for WAV format");
        return step::toolarge;
    }
    decoders.replay(record, relay.outer);
    if (record.kind == framerecord::failed) return step::failed;
    const bool written = doc.sink ? doc.sink->frame(doc.pcmfilebuf.get(), framevalues)
                                  : writesamples(output, doc.pcmfilebuf.get(), framevalues) == framevalues;
    if (!written) {
        relay.outer.messages("output file frame write");
        return step::writefailed;
    }
    frames += 1;
    if (record.percent > progress) {
        if (relay.outer.progress) relay.outer.progress(record.percent);
        progress = record.percent;
    }
    return step::next;
}

decodepipeline::ending decodepipeline::finish(step last, int64_t frameno) {
    // A frame that was not written leaves no trace: toolarge stops before frame frameno
    // was read, a failed write after it.
    const int64_t keep = last == step::toolarge ? frameno : frameno + 1;
    if ((last == step::toolarge || last == step::writefailed) && started > keep) {
        const stagecounters& before = records[static_cast<size_t>(keep % std::ssize(records))].before;
        doc.stats = before.stats;
        doc.nbiterrors = before.nbiterrors;
        doc.nbitsseen = before.nbitsseen;
        doc.random.seed(before.random);
    }
    doc.stats.frameshandled = frames;
    doc.stats.frameswritten = frames;
    if (last == step::finished) return ending::finished;
    return last == step::toolarge ? ending::toolarge : ending::failed;
}
