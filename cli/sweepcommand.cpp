#include "cli/sweepcommand.h"

#include <CLI/CLI.hpp>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "cli/commandoptions.h"
#include "cli/exitcodes.h"
#include "cli/newfile.h"
#include "cli/plot.h"
#include "cli/plotsweep.h"
#include "cli/sweepgrid.h"
#include "cli/sweeprunner.h"

namespace {

std::string shellquoted(const std::string& s) {
    if (!s.empty() &&
        s.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./,=:+") ==
            std::string::npos)
        return s;
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

sweepgrid gridof(const sweepoptions& o) {
    sweepgrid g;
    std::vector<std::string> given;
    auto list = [&given](const std::optional<std::string>& v, const char* option, const char* key,
                         std::vector<std::string>& into) {
        if (!v) return;
        into = splitlist(option, *v);
        given.push_back(key);
    };
    list(o.bitrate, "--bitrate", "bitrate", g.bitrates);
    list(o.models, "--error-model", "error_model", g.models);
    list(o.ber, "--ber", "ber", g.bers);
    list(o.gamma, "--gamma", "gamma", g.gammas);
    list(o.fer, "--fer", "fer", g.fers);
    list(o.conceal, "--conceal", "conceal", g.conceal);
    if (o.seeds) {
        g.seeds = parseseeds(*o.seeds);
        given.push_back("seeds");
    }
    const std::pair<const std::vector<std::string>*, const char*> vectors[] = {
        {&o.inputs, "inputs"}, {&o.patterns, "pattern"}, {&o.settings, "set"}};
    for (const auto& [values, key] : vectors)
        if (!values->empty()) given.push_back(key);
    g.inputs = o.inputs;
    g.patterns = o.patterns;
    g.settings = o.settings;
    if (!o.grid.empty()) readgridfile(o.grid, g, given);
    for (const std::string& input : g.inputs)
        if (input.find_first_of("\n\r") != std::string::npos)
            throw usageerror("an input name holds a line break");
    completegrid(g);
    return g;
}

// The options that make the grid, as they would be typed again.
std::vector<std::string> gridarguments(const sweepoptions& o) {
    std::vector<std::string> args(o.inputs);
    if (!o.grid.empty()) args.insert(args.end(), {"--grid", o.grid});
    const std::pair<const std::optional<std::string>*, const char*> lists[] = {
        {&o.bitrate, "--bitrate"}, {&o.models, "--error-model"}, {&o.ber, "--ber"},    {&o.gamma, "--gamma"},
        {&o.fer, "--fer"},         {&o.conceal, "--conceal"},    {&o.seeds, "--seeds"}};
    for (const auto& [value, option] : lists)
        if (*value) args.insert(args.end(), {option, **value});
    for (const std::string& p : o.patterns) args.insert(args.end(), {"--pattern", p});
    for (const std::string& s : o.settings) args.insert(args.end(), {"--set", s});
    if (o.json) args.push_back("--json");
    return args;
}

std::string partname(const std::string& output, const std::string& k, int n) {
    const size_t dot = output.rfind('.');
    const bool ext = dot != std::string::npos && output.find('/', dot) == std::string::npos;
    const std::string tail = ".part" + k + "of" + std::to_string(n);
    return ext ? output.substr(0, dot) + tail + output.substr(dot) : output + tail;
}

int printplan(const sweepoptions& o, const std::string& output) {
    const std::string program = shellquoted(o.program);
    std::string command = program + " sweep";
    for (const std::string& a : gridarguments(o)) command += " " + shellquoted(a);
    const int n = o.plan;
    std::string parts;
    for (int k = 0; k < n; ++k) parts += " " + shellquoted(partname(output, std::to_string(k), n));
    const std::string merge = program + " sweep --merge " + shellquoted(output) + parts;
    if (o.planformat == "slurm") {
        std::printf("#!/bin/bash\n#SBATCH --job-name=tonvex-sweep\n#SBATCH --array=0-%d\n#SBATCH --ntasks=1\n"
                    "#SBATCH --cpus-per-task=1\n#SBATCH --output=tonvex-sweep-%%a.log\n"
                    "%s --shard ${SLURM_ARRAY_TASK_ID}/%d -o \"%s\" --quiet\n"
                    "# when every task has ended: %s\n",
                    n - 1, command.c_str(), n, partname(output, "${SLURM_ARRAY_TASK_ID}", n).c_str(),
                    merge.c_str());
        return exit_success;
    }
    for (int k = 0; k < n; ++k)
        std::printf("%s --shard %d/%d -o %s --quiet\n", command.c_str(), k, n,
                    shellquoted(partname(output, std::to_string(k), n)).c_str());
    std::fprintf(stderr, "then: %s\n", merge.c_str());
    return exit_success;
}

std::string summaryname(const std::string& output) {
    const size_t dot = output.rfind('.');
    const bool ext = dot != std::string::npos && output.find('/', dot) == std::string::npos;
    return (ext ? output.substr(0, dot) : output) + ".summary.csv";
}

// Sorted by cell, the whole file replaced (it is this sweep's own), then the summary.
int finishoutput(const sweepoptions& o, const std::string& output, std::vector<sweeprow> rows, bool force) {
    std::sort(rows.begin(), rows.end(), [](const sweeprow& a, const sweeprow& b) { return a.cell < b.cell; });
    const rowformat format = o.json ? rowformat::jsonlines : rowformat::csv;
    std::string text = format == rowformat::csv ? csvheader() : "";
    for (const sweeprow& row : rows) text += rowline(row, format);
    const auto summary = summarise(rows);
    std::string error;
    if (!writenewfile(output, text, force, error) ||
        !writenewfile(summaryname(output), summarycsv(summary), true, error)) {
        std::fprintf(stderr, "tonvex: %s\n", error.c_str());
        return exit_failure;
    }
    if (!o.quiet) std::printf("%s", summarytable(summary).c_str());
    std::fflush(stdout);
    if (!o.plot.empty() && !plotsweep(o.plot, o.plotmeasure, summary, o.force)) return exit_failure;
    return exit_success;
}

int runmerge(const sweepoptions& o) {
    if (o.merge.size() < 2) throw usageerror("--merge needs the output and at least one part");
    const std::string& output = o.merge[0];
    std::string error;
    if (!maywrite(output, o.force, error)) throw usageerror(error);
    std::map<int64_t, sweeprow> byCell;
    for (size_t i = 1; i < o.merge.size(); ++i) {
        std::vector<sweeprow> rows;
        if (!readrows(o.merge[i], rows, error)) {
            std::fprintf(stderr, "tonvex: %s\n", error.c_str());
            return exit_failure;
        }
        for (sweeprow& row : rows) {
            const auto [at, fresh] = byCell.emplace(row.cell, row);
            if (!fresh && at->second.values != row.values) {
                std::fprintf(stderr, "tonvex: cell %lld differs between the parts\n",
                             static_cast<long long>(row.cell));
                return exit_failure;
            }
        }
    }
    std::vector<sweeprow> rows;
    for (auto& [cell, row] : byCell) rows.push_back(std::move(row));
    return finishoutput(o, output, std::move(rows), o.force);
}

// Rows of an earlier run of the same grid in output, to be kept and not run again.
std::vector<sweeprow> earlierrows(const std::string& output, const sweepgrid& grid,
                                  const std::vector<sweepcell>& cells, const sweepoptions& o) {
    std::vector<sweeprow> rows;
    std::string error;
    if (!readrows(output, rows, error))
        throw usageerror(error + " (a sweep resumes only its own output; -f starts over)");
    std::map<int64_t, const sweepcell*> byindex;
    for (const sweepcell& c : cells) byindex[c.index] = &c;
    std::ifstream probe(output);
    if ((probe.peek() == '{') != o.json)
        throw usageerror(output + " holds rows in the other format; resume with" + (o.json ? "out" : "") +
                         " --json");
    for (const sweeprow& row : rows) {
        const auto at = byindex.find(row.cell);
        const bool same =
            at != byindex.end() &&
            conditionvalues(grid, *at->second,
                            at->second->bitrate.empty() ? row.values[2] : at->second->bitrate) ==
                std::vector<std::string>(row.values.begin(), row.values.begin() + conditioncolumns);
        if (!same)
            throw usageerror(output + " holds rows of another grid (cell " + std::to_string(row.cell) +
                             "); name another output, or -f to start over");
    }
    return rows;
}

} // namespace

CLI::App* addsweepcommand(CLI::App& app, sweepoptions& o) {
    CLI::App* s = app.add_subcommand("sweep", "decode and measure over a grid of conditions");
    s->add_option("INPUT", o.inputs, ".ztb streams or audio files to encode (default wav/test.ztb)");
    s->add_option("--grid", o.grid, "the grid from a JSON file (keys as the options)")->type_name("FILE");
    s->add_option("--bitrate", o.bitrate, "kbit/s to scale each stream to (default: as it is)")
        ->type_name("LIST");
    s->add_option("--error-model", o.models, "independent, gilbert, erasure, pattern")->type_name("LIST");
    s->add_option("--ber", o.ber, "bit error rates (independent, gilbert)")->type_name("LIST");
    s->add_option("--gamma", o.gamma, "burstiness (gilbert, erasure)")->type_name("LIST");
    s->add_option("--fer", o.fer, "frame erasure rates (erasure)")->type_name("LIST");
    s->add_option("--pattern", o.patterns, "G.192 pattern files (pattern)")->type_name("FILE");
    s->add_option("--conceal", o.conceal, "concealment methods, 0 to 3 (default 1)")->type_name("LIST");
    s->add_option("--seeds", o.seeds, "seeds, e.g. 1-20 or 1,5,9 (default 1)")->type_name("LIST");
    s->add_option("--set", o.settings, "a numeric setting of every decode")
        ->type_name("NAME=VALUE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    s->add_option("-o,--output", o.output, "rows (default sweep.csv, or sweep.jsonl with --json)");
    s->add_flag("--json", o.json, "rows as JSON lines");
    s->add_option("--jobs", o.jobs, "runs at once; 0: one per core (default 1)")->check(CLI::Range(0, 256));
    s->add_option("--shard", o.shard, "run only the K-th of N parts of the grid (K from 0)")
        ->type_name("K/N");
    s->add_option("--plan", o.plan, "print the commands of N shards instead of running")
        ->check(CLI::Range(1, 100000));
    s->add_option("--plan-format", o.planformat, "parallel: one command a line; slurm: an array script")
        ->check(CLI::IsMember({"parallel", "slurm"}));
    s->add_option("--merge", o.merge, "merge shard outputs into OUT and summarise")
        ->type_name("OUT PARTS")
        ->expected(2, -1);
    s->add_option("--plot", o.plot, "draw the measure against the error rate to FILE.svg or FILE.png")
        ->type_name("FILE");
    s->add_option("--plot-measure", o.plotmeasure, "the column to plot (default segsnr_clean)")
        ->type_name("NAME");
    s->add_flag("--quiet", o.quiet, "no progress bar and no summary table");
    s->add_flag("-f,--force", o.force, "start over, replacing the output; replace the plot");
    return s;
}

int runsweep(const sweepoptions& o) {
    if (!o.plot.empty()) {
        checkplotname(o.plot, o.force);
        checkplotmeasure(o.plotmeasure);
    }
    if (!o.merge.empty()) return runmerge(o);
    const sweepgrid grid = gridof(o);
    std::vector<sweepcell> cells = cellsof(grid);
    if (!o.shard.empty()) {
        int k = -1, n = 0;
        char end = 0;
        if (std::sscanf(o.shard.c_str(), "%d/%d%c", &k, &n, &end) != 2 || n < 1 || k < 0 || k >= n)
            throw usageerror("--shard " + o.shard + ": needs K/N with 0 <= K < N");
        std::erase_if(cells, [k, n](const sweepcell& c) { return c.index % n != k; });
    }
    const std::string output = !o.output.empty() ? o.output : o.json ? "sweep.jsonl" : "sweep.csv";
    if (o.plan) return printplan(o, output);

    struct stat info {};
    const bool exists = lstat(output.c_str(), &info) == 0;
    std::string error;
    if (exists && !S_ISREG(info.st_mode)) throw usageerror(output + " is not a regular file");
    std::vector<sweeprow> rows =
        exists && !o.force ? earlierrows(output, grid, cells, o) : std::vector<sweeprow>{};
    std::erase_if(cells, [&rows](const sweepcell& c) {
        return std::any_of(rows.begin(), rows.end(), [&c](const sweeprow& r) { return r.cell == c.index; });
    });

    const sweepworkspace work;
    preparedstreams streams;
    if (!preparestreams(grid, cells, work.path(), streams, error)) {
        std::fprintf(stderr, "tonvex: %s\n", error.c_str());
        return exit_failure;
    }
    // The rows go to the output as they finish, so that an interrupted sweep resumes.
    const rowformat format = o.json ? rowformat::jsonlines : rowformat::csv;
    const bool resume = exists && !o.force;
    if (exists && o.force && unlink(output.c_str()) != 0) {
        std::fprintf(stderr, "tonvex: cannot replace %s\n", output.c_str());
        return exit_failure;
    }
    const int fd = open(output.c_str(), O_WRONLY | O_APPEND | (resume ? 0 : O_CREAT | O_EXCL), 0644);
    if (fd < 0) {
        std::fprintf(stderr, "tonvex: cannot write %s\n", output.c_str());
        return exit_failure;
    }
    auto append = [fd](const std::string& text) {
        return write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    };
    bool ok = resume || format == rowformat::jsonlines || append(csvheader());
    const sweeprun run{grid, streams, work.path(),
                       o.jobs == 0 ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                                   : o.jobs,
                       !o.quiet && isatty(fileno(stderr))};
    ok = ok && runcells(run, cells, [&](const sweeprow& row) {
             rows.push_back(row);
             ok = append(rowline(row, format)) && ok;
         });
    close(fd);
    if (!ok) {
        std::fprintf(stderr,
                     "tonvex: sweep stopped; %zu rows are in %s, run the same command again to go on\n",
                     rows.size(), output.c_str());
        return exit_failure;
    }
    return finishoutput(o, output, std::move(rows), true);
}
