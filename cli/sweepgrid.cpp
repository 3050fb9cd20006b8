#include "cli/sweepgrid.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "app/CTonvexDoc.h"
#include "cli/commandoptions.h"
#include "cli/documentsettings.h"

namespace {

bool uses(const sweepgrid& g, std::initializer_list<const char*> models) {
    return std::any_of(g.models.begin(), g.models.end(), [&](const std::string& m) {
        return std::find(models.begin(), models.end(), m) != models.end();
    });
}

uint32_t parseseed(const std::string& text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw usageerror("--seeds: " + text + " is not a whole number 0 to 4294967295");
    return value;
}

template <typename T> void refuseduplicates(const std::string& option, const std::vector<T>& values) {
    std::set<T> seen;
    for (const T& v : values)
        if (!seen.insert(v).second) throw usageerror(option + " lists a value twice");
}

// The decode's own checks of one combination of error settings.
void checkdecode(const sweepgrid& g, const sweepcell& c) {
    CTonvexDoc doc;
    const commandoptions o = celloptions(g, c);
    applysettings(doc, o);
    applyerrormodel(doc, o.errormodel);
}

} // namespace

commandoptions celloptions(const sweepgrid& g, const sweepcell& c) {
    commandoptions o;
    o.settings = g.settings;
    o.settings.push_back("dither=0");
    o.settings.push_back("concealmethod=" + c.conceal);
    if (!c.ber.empty()) o.errormodel.ber = c.ber;
    o.errormodel.model = c.model;
    if (!c.gamma.empty()) o.errormodel.gamma = c.gamma;
    if (!c.fer.empty()) o.errormodel.fer = c.fer;
    if (!c.pattern.empty()) o.errormodel.pattern = c.pattern;
    return o;
}

std::vector<std::string> splitlist(const std::string& option, const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.empty()) throw usageerror(option + " " + text + ": an empty item");
        items.push_back(item);
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

std::vector<uint32_t> parseseeds(const std::string& text) {
    std::vector<uint32_t> seeds;
    for (const std::string& item : splitlist("--seeds", text)) {
        const size_t dash = item.find('-');
        if (dash == std::string::npos) {
            seeds.push_back(parseseed(item));
            continue;
        }
        const uint32_t first = parseseed(item.substr(0, dash)), last = parseseed(item.substr(dash + 1));
        if (last < first || last - first >= 100000) throw usageerror("--seeds " + item + ": not a range");
        for (uint32_t s = first;; ++s) {
            seeds.push_back(s);
            if (s == last) break;
        }
    }
    return seeds;
}

void readgridfile(const std::string& path, sweepgrid& grid, const std::vector<std::string>& givenbyoptions) {
    std::ifstream in(path);
    const nlohmann::json file = nlohmann::json::parse(in, nullptr, false);
    if (!in || file.is_discarded() || !file.is_object())
        throw usageerror("--grid " + path + ": not a JSON object");
    auto text = [&path](const nlohmann::json& v, const std::string& key) {
        if (v.is_string()) return v.get<std::string>();
        if (v.is_number()) return v.dump();
        throw usageerror("--grid " + path + ": " + key + " holds a value that is neither text nor a number");
    };
    for (const auto& [key, value] : file.items()) {
        std::vector<std::string> values;
        for (const auto& v : value.is_array() ? value : nlohmann::json::array({value}))
            values.push_back(text(v, key));
        if (std::find(givenbyoptions.begin(), givenbyoptions.end(), key) != givenbyoptions.end())
            throw usageerror("--grid " + path + ": " + key + " is given as an option too");
        const std::map<std::string, std::vector<std::string>*> lists = {
            {"inputs", &grid.inputs},    {"bitrate", &grid.bitrates}, {"error_model", &grid.models},
            {"ber", &grid.bers},         {"gamma", &grid.gammas},     {"fer", &grid.fers},
            {"pattern", &grid.patterns}, {"conceal", &grid.conceal},  {"set", &grid.settings}};
        if (lists.count(key)) {
            *lists.at(key) = values;
        } else if (key == "seeds") {
            grid.seeds.clear();
            for (const std::string& v : values) {
                const auto some = parseseeds(v);
                grid.seeds.insert(grid.seeds.end(), some.begin(), some.end());
            }
        } else {
            throw usageerror(
                "--grid " + path + ": unknown key " + key +
                " (valid: inputs, bitrate, error_model, ber, gamma, fer, pattern, conceal, seeds, set)");
        }
    }
}

void completegrid(sweepgrid& g) {
    if (g.inputs.empty()) g.inputs = {"wav/test.ztb"};
    if (g.models.empty()) g.models = {g.patterns.empty() ? "independent" : "pattern"};
    if (g.conceal.empty()) g.conceal = {"1"};
    if (g.seeds.empty()) g.seeds = {1};
    for (const std::string& m : g.models)
        if (m != "independent" && m != "gilbert" && m != "erasure" && m != "pattern")
            throw usageerror("--error-model " + m + ": not one of independent, gilbert, erasure, pattern");
    auto unused = [](const char* option, const char* models) {
        return usageerror(std::string(option) + " is given but no error model of the grid uses it (" +
                          models + ")");
    };
    if (!g.bers.empty() && !uses(g, {"independent", "gilbert"}))
        throw unused("--ber", "independent, gilbert");
    if (!g.gammas.empty() && !uses(g, {"gilbert", "erasure"})) throw unused("--gamma", "gilbert, erasure");
    if (!g.fers.empty() && !uses(g, {"erasure"})) throw unused("--fer", "erasure");
    if (!g.patterns.empty() && !uses(g, {"pattern"})) throw unused("--pattern", "pattern");
    if (g.fers.empty() && uses(g, {"erasure"})) throw usageerror("--error-model erasure needs --fer");
    if (g.patterns.empty() && uses(g, {"pattern"})) throw usageerror("--error-model pattern needs --pattern");
    if (g.bers.empty()) g.bers = {"0"};
    if (g.gammas.empty()) g.gammas = {"0"};
    for (const std::string& s : g.settings)
        if (s.rfind("dither=", 0) == 0 || s.rfind("concealmethod=", 0) == 0 || s.rfind("ber=", 0) == 0)
            throw usageerror("--set " + s +
                             ": a sweep sets this itself (no dither, so that the clean "
                             "decode is an exact reference; --conceal and --ber are lists)");
    for (const std::string& b : g.bitrates) {
        char* end = nullptr;
        const double kbps = std::strtod(b.c_str(), &end);
        if (*end != '\0' || !(kbps > 0.0)) throw usageerror("--bitrate " + b + ": needs a rate above 0");
    }
    const std::pair<const char*, const std::vector<std::string>*> lists[] = {
        {"inputs", &g.inputs},      {"--bitrate", &g.bitrates}, {"--error-model", &g.models},
        {"--ber", &g.bers},         {"--gamma", &g.gammas},     {"--fer", &g.fers},
        {"--pattern", &g.patterns}, {"--conceal", &g.conceal}};
    for (const auto& [option, values] : lists) refuseduplicates(option, *values);
    refuseduplicates("--seeds", g.seeds);
    sweepgrid one = g;
    one.inputs = {g.inputs[0]};
    one.bitrates.clear();
    one.seeds = {1};
    for (const sweepcell& c : cellsof(one)) checkdecode(g, c);
}

std::vector<sweepcell> cellsof(const sweepgrid& g) {
    std::vector<sweepcell> cells;
    const std::vector<std::string> asis = {""}, none = {""};
    sweepcell c;
    for (size_t input = 0; input < g.inputs.size(); ++input) {
        c.input = input;
        for (const std::string& bitrate : g.bitrates.empty() ? asis : g.bitrates) {
            c.bitrate = bitrate;
            for (const std::string& model : g.models) {
                c.model = model;
                // The parameters the model uses: ber, gamma, fer, pattern.
                std::vector<std::array<std::string, 4>> settings;
                const bool bits = model == "independent" || model == "gilbert";
                const bool bursty = model == "gilbert" || model == "erasure";
                for (const std::string& ber : bits ? g.bers : none)
                    for (const std::string& gamma : bursty ? g.gammas : none)
                        for (const std::string& fer : model == "erasure" ? g.fers : none)
                            for (const std::string& pattern : model == "pattern" ? g.patterns : none)
                                settings.push_back({ber, gamma, fer, pattern});
                for (const auto& setting : settings) {
                    std::tie(c.ber, c.gamma, c.fer, c.pattern) =
                        std::tie(setting[0], setting[1], setting[2], setting[3]);
                    for (const std::string& conceal : g.conceal) {
                        c.conceal = conceal;
                        for (const uint32_t seed : g.seeds) {
                            c.seed = seed;
                            c.index = static_cast<int64_t>(cells.size());
                            cells.push_back(c);
                        }
                    }
                }
            }
        }
    }
    return cells;
}
