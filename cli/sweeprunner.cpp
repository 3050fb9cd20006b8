#include "cli/sweeprunner.h"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/progressbar.h"

namespace {

// Set by the signal handler, read by every thread: a lock-free atomic is safe for both.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void oninterrupt(int) {
    interrupted = true;
}

// Catches SIGINT and SIGTERM for its lifetime, so that the sweep can stop between cells.
class interruptguard {
  public:
    interruptguard() {
        interrupted = false;
        struct sigaction action {};
        action.sa_handler = oninterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousint);
        sigaction(SIGTERM, &action, &previousterm);
    }
    ~interruptguard() {
        sigaction(SIGINT, &previousint, nullptr);
        sigaction(SIGTERM, &previousterm, nullptr);
    }
    interruptguard(const interruptguard&) = delete;
    interruptguard& operator=(const interruptguard&) = delete;

  private:
    struct sigaction previousint {
    }, previousterm{};
};

class cellprogress {
  public:
    cellprogress(bool enabled, size_t total) : enabled(enabled), total(total) {}
    void step() {
        ++done;
        if (!enabled) return;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long left =
            static_cast<long>(elapsed / static_cast<double>(done) * static_cast<double>(total - done) + 0.5);
        std::fprintf(stderr, "\r%s %zu/%zu cells, %ld:%02ld left ",
                     progressline(static_cast<int>(100 * done / total), 30).c_str(), done, total, left / 60,
                     left % 60);
        std::fflush(stderr);
    }
    ~cellprogress() {
        if (enabled && done > 0) std::fprintf(stderr, "\n");
    }
    cellprogress(const cellprogress&) = delete;
    cellprogress& operator=(const cellprogress&) = delete;

  private:
    bool enabled;
    size_t total, done = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

// The cells of one run handed out to the threads, and the rows and failures they give
// back to the calling thread.
class cellqueue {
  public:
    cellqueue(const sweeprun& run, const std::vector<sweepcell>& cells) : run(run), cells(cells) {}

    // A thread's loop: the next cell until none is left, a cell failed or a signal came.
    void work() {
        for (;;) {
            size_t cell = 0;
            {
                const std::lock_guard<std::mutex> hold(lock);
                if (next == cells.size() || failed || interrupted) break;
                cell = next++;
            }
            sweeprow row;
            std::string error;
            const bool ok =
                runcell(run.grid, cells[cell], run.streams.at({cells[cell].input, cells[cell].bitrate}),
                        run.workdir, row, error);
            const std::lock_guard<std::mutex> hold(lock);
            if (ok)
                rows.push_back(std::move(row));
            else if (!failed)
                failure = std::move(error), failed = true;
            changed.notify_one();
        }
        const std::lock_guard<std::mutex> hold(lock);
        ++stopped;
        changed.notify_one();
    }

    // On the calling thread until every worker has stopped: each finished row to done.
    // false when a cell failed.
    bool deliver(int workers, const std::function<void(const sweeprow&)>& done) {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            // Signals do not wake the wait: look again now and then.
            changed.wait_for(hold, std::chrono::milliseconds(100),
                             [&] { return !rows.empty() || stopped == workers; });
            std::vector<sweeprow> ready = std::move(rows);
            rows.clear();
            const bool end = stopped == workers;
            hold.unlock();
            for (const sweeprow& row : ready) done(row);
            hold.lock();
            if (end && rows.empty()) break;
        }
        if (failed) std::fprintf(stderr, "\ntonvex: %s\n", failure.c_str());
        return !failed;
    }

  private:
    const sweeprun& run;
    const std::vector<sweepcell>& cells;
    std::mutex lock;
    std::condition_variable changed;
    size_t next = 0;
    int stopped = 0;
    bool failed = false;
    std::string failure;
    std::vector<sweeprow> rows;
};

} // namespace

bool runcells(const sweeprun& run, const std::vector<sweepcell>& cells,
              const std::function<void(const sweeprow&)>& done) {
    const interruptguard guard;
    cellprogress bar(run.progress, cells.size());
    cellqueue queue(run, cells);
    const int workers =
        static_cast<int>(std::min<size_t>(static_cast<size_t>(std::max(run.jobs, 1)), cells.size()));
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i) threads.emplace_back([&queue] { queue.work(); });
    const bool ok = queue.deliver(workers, [&](const sweeprow& row) {
        done(row);
        bar.step();
    });
    for (std::thread& t : threads) t.join();
    return ok && !interrupted;
}
