#pragma once
// tonvex sweep: decodes over a grid of inputs, bitrates, error conditions, concealment
// methods and seeds, measures every run against the clean decode and the original, and
// writes one row per run and a summary over the seeds. Runs resume, split into shards
// for GNU parallel or a Slurm array, and merge back.
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

struct sweepoptions {
    std::vector<std::string> inputs;
    std::string grid; // a JSON file of the grid
    std::optional<std::string> bitrate, models, ber, gamma, fer, conceal, seeds;
    std::vector<std::string> patterns, settings;
    std::string output;
    bool json = false;
    int jobs = 1;
    std::string shard; // K/N
    int plan = 0;
    std::string planformat = "parallel";
    std::vector<std::string> merge; // OUT PARTS...
    std::string plot;
    std::string plotmeasure = "segsnr_clean";
    bool quiet = false, force = false;
    std::string program; // argv[0], for the commands of --plan
};

CLI::App* addsweepcommand(CLI::App& app, sweepoptions& options);
// Returns the exit status; throws usageerror for a bad grid, before anything runs.
int runsweep(const sweepoptions& options);
