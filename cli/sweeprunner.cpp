#include "cli/sweeprunner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "cli/progressbar.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void oninterrupt(int) {
    interrupted = 1;
}

// Catches SIGINT and SIGTERM for its lifetime, so that the sweep can stop between cells.
class interruptguard {
  public:
    interruptguard() {
        interrupted = 0;
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

std::string cellline(const sweeprun& run, const sweepcell& cell, bool& ok) {
    sweeprow row;
    std::string error;
    ok = runcell(run.grid, cell, run.streams.at({cell.input, cell.bitrate}), run.workdir, row, error);
    if (!ok) return error;
    std::string line = rowline(row, rowformat::csv);
    line.pop_back();
    return line;
}

struct child {
    pid_t pid;
    int fd;
    std::string text;
};

bool finish(child& c, const std::function<void(const sweeprow&)>& done) {
    close(c.fd);
    int status = 0;
    waitpid(c.pid, &status, 0);
    sweeprow row;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && parserow(c.text, rowformat::csv, row)) {
        done(row);
        return true;
    }
    if (!interrupted)
        std::fprintf(stderr, "\ntonvex: %s\n",
                     c.text.empty() ? "a sweep worker ended abnormally" : c.text.c_str());
    return false;
}

bool runforked(const sweeprun& run, const std::vector<sweepcell>& cells,
               const std::function<void(const sweeprow&)>& done) {
    std::vector<child> running;
    size_t next = 0;
    bool ok = true;
    while (ok && !interrupted && (next < cells.size() || !running.empty())) {
        while (ok && !interrupted && next < cells.size() && running.size() < static_cast<size_t>(run.jobs)) {
            int fds[2];
            if (pipe(fds) != 0) return false;
            std::fflush(nullptr);
            const pid_t pid = fork();
            if (pid == 0) {
                signal(SIGINT, SIG_DFL);
                signal(SIGTERM, SIG_DFL);
                close(fds[0]);
                bool cellok = false;
                const std::string text = cellline(run, cells[next], cellok);
                for (size_t at = 0; at < text.size();) {
                    const ssize_t n = write(fds[1], text.data() + at, text.size() - at);
                    if (n <= 0) break;
                    at += static_cast<size_t>(n);
                }
                _exit(cellok ? 0 : 1);
            }
            close(fds[1]);
            if (pid < 0) {
                close(fds[0]);
                std::fprintf(stderr, "tonvex: cannot start a sweep worker\n");
                return false;
            }
            running.push_back({pid, fds[0], ""});
            ++next;
        }
        std::vector<pollfd> watch;
        for (const child& c : running) watch.push_back({c.fd, POLLIN, 0});
        if (poll(watch.data(), watch.size(), -1) < 0) continue; // interrupted: checked above
        for (size_t i = running.size(); i-- > 0;) {
            if (!watch[i].revents) continue;
            char buffer[4096];
            const ssize_t n = read(running[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                running[i].text.append(buffer, static_cast<size_t>(n));
                continue;
            }
            ok = finish(running[i], done) && ok;
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (child& c : running) {
        kill(c.pid, SIGTERM);
        close(c.fd);
        waitpid(c.pid, nullptr, 0);
    }
    return ok && !interrupted;
}

} // namespace

bool runcells(const sweeprun& run, const std::vector<sweepcell>& cells,
              const std::function<void(const sweeprow&)>& done) {
    const interruptguard guard;
    cellprogress bar(run.progress, cells.size());
    const auto counted = [&](const sweeprow& row) {
        done(row);
        bar.step();
    };
    if (run.jobs > 1) return runforked(run, cells, counted);
    for (const sweepcell& cell : cells) {
        if (interrupted) return false;
        sweeprow row;
        std::string error;
        if (!runcell(run.grid, cell, run.streams.at({cell.input, cell.bitrate}), run.workdir, row, error)) {
            std::fprintf(stderr, "\ntonvex: %s\n", error.c_str());
            return false;
        }
        counted(row);
    }
    return !interrupted;
}
