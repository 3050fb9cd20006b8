#include "cli/sweeprows.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <set>
#include <stdexcept>

namespace {

const std::set<std::string> textcolumns = {"input", "model", "pattern"};

std::string csvfield(const std::string& v) {
    if (v.find_first_of(",\"\n") == std::string::npos) return v;
    std::string out = "\"";
    for (const char c : v) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

bool parsecsv(const std::string& line, std::vector<std::string>& fields) {
    fields.assign(1, "");
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return !quoted;
}

// Keeps every value of a flat JSON object as its text, numbers exactly as written.
struct rawobject : nlohmann::json_sax<nlohmann::json> {
    std::map<std::string, std::string> values;
    std::string current;
    int depth = 0;

    bool put(std::string v) {
        values[current] = std::move(v);
        return depth == 1;
    }
    bool null() override { return put(""); }
    bool boolean(bool) override { return false; }
    bool number_integer(number_integer_t v) override { return put(std::to_string(v)); }
    bool number_unsigned(number_unsigned_t v) override { return put(std::to_string(v)); }
    bool number_float(number_float_t, const string_t& s) override { return put(s); }
    bool string(string_t& s) override { return put(s); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return ++depth == 1; }
    bool key(string_t& k) override {
        current = k;
        return true;
    }
    bool end_object() override { return --depth == 0; }
    bool start_array(std::size_t) override { return false; }
    bool end_array() override { return false; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }
};

double figure(const std::string& text) {
    if (text.empty()) return std::numeric_limits<double>::quiet_NaN();
    if (text == "inf") return std::numeric_limits<double>::infinity();
    if (text == "-inf") return -std::numeric_limits<double>::infinity();
    return std::strtod(text.c_str(), nullptr);
}

std::string formatfigure(double v, const char* format = "%.4f") {
    if (std::isnan(v)) return "";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char text[48];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

} // namespace

const std::vector<std::string>& sweepcolumns() {
    static const std::vector<std::string> columns = {
        "cell",          "input",        "kbps",       "model",         "ber",
        "gamma",         "fer",          "pattern",    "conceal",       "seed",
        "frames",        "lost",         "concealed",  "erased",        "resyncs",
        "crc_failures",  "bits_flipped", "bits_seen",  "measured_rate", "snr_clean",
        "segsnr_clean",  "fwsnr_clean",  "lsd_clean",  "peak_clean",    "identical_clean",
        "snr_orig",      "segsnr_orig",  "fwsnr_orig", "lsd_orig",      "peak_orig",
        "identical_orig"};
    return columns;
}

size_t sweepcolumn(const std::string& name) {
    const auto& c = sweepcolumns();
    const auto at = std::find(c.begin(), c.end(), name);
    if (at == c.end()) throw std::out_of_range("no sweep column " + name);
    return static_cast<size_t>(at - c.begin());
}

std::string csvheader() {
    std::string line;
    for (const std::string& c : sweepcolumns()) line += (line.empty() ? "" : ",") + c;
    return line + "\n";
}

std::string rowline(const sweeprow& row, rowformat format) {
    const auto& columns = sweepcolumns();
    std::string line;
    for (size_t i = 0; i < columns.size(); ++i) {
        const std::string& v = row.values[i];
        if (format == rowformat::csv) {
            line += (i ? "," : "") + csvfield(v);
            continue;
        }
        line += (i ? ",\"" : "{\"") + columns[i] + "\":";
        // Numbers as written (so that they read back the same); text that is no JSON
        // number, such as inf, as a string.
        const bool number = !textcolumns.count(columns[i]) && nlohmann::json::accept(v) &&
                            (v[0] == '-' || (v[0] >= '0' && v[0] <= '9'));
        line += v.empty() ? "null" : number ? v : nlohmann::json(v).dump();
    }
    return line + (format == rowformat::csv ? "\n" : "}\n");
}

bool parserow(const std::string& line, rowformat format, sweeprow& row) {
    row.values.clear();
    if (format == rowformat::csv) {
        if (!parsecsv(line, row.values) || row.values.size() != sweepcolumns().size()) return false;
    } else {
        rawobject object;
        if (!nlohmann::json::sax_parse(line, &object) || object.values.size() != sweepcolumns().size())
            return false;
        for (const std::string& c : sweepcolumns()) {
            if (!object.values.count(c)) return false;
            row.values.push_back(object.values[c]);
        }
    }
    char* end = nullptr;
    row.cell = std::strtoll(row.values[0].c_str(), &end, 10);
    return !row.values[0].empty() && *end == '\0' && row.cell >= 0;
}

bool readrows(const std::string& path, std::vector<sweeprow>& rows, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    const rowformat format = in.peek() == '{' ? rowformat::jsonlines : rowformat::csv;
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        if (format == rowformat::csv && number == 1) {
            if (line + "\n" == csvheader()) continue;
            error = path + " does not start with the columns of a sweep";
            return false;
        }
        sweeprow row;
        if (!parserow(line, format, row)) {
            error = path + ":" + std::to_string(number) + ": not a row of a sweep";
            return false;
        }
        rows.push_back(std::move(row));
    }
    return true;
}

double tquantile95(int64_t df) {
    static constexpr double table[30] = {12.7062, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060,
                                         2.2622,  2.2281, 2.2010, 2.1788, 2.1604, 2.1448, 2.1314, 2.1199,
                                         2.1098,  2.1009, 2.0930, 2.0860, 2.0796, 2.0739, 2.0687, 2.0639,
                                         2.0595,  2.0555, 2.0518, 2.0484, 2.0452, 2.0423};
    if (df < 1) return std::numeric_limits<double>::quiet_NaN();
    if (df <= 30) return table[df - 1];
    // Cornish-Fisher expansion about the normal quantile; within 1e-4 beyond 30.
    const double z = 1.959964, d = static_cast<double>(df);
    return z + (z * z * z + z) / (4 * d) + (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * d * d);
}

std::vector<summaryline> summarise(const std::vector<sweeprow>& rows) {
    std::vector<summaryline> lines;
    std::map<std::vector<std::string>, size_t> at;
    std::vector<std::vector<std::vector<double>>> samples; // line, figure, run
    const size_t figures = sweepcolumns().size() - conditioncolumns;
    for (const sweeprow& row : rows) {
        std::vector<std::string> condition(row.values.begin() + 1, row.values.begin() + seedcolumn);
        const auto [it, fresh] = at.emplace(condition, lines.size());
        if (fresh) {
            lines.push_back({condition, 0, {}, {}});
            samples.emplace_back(figures);
        }
        ++lines[it->second].runs;
        for (size_t f = 0; f < figures; ++f) {
            const double v = figure(row.values[conditioncolumns + f]);
            if (!std::isnan(v)) samples[it->second][f].push_back(v);
        }
    }
    for (size_t l = 0; l < lines.size(); ++l) {
        for (const std::vector<double>& runs : samples[l]) {
            const double nan = std::numeric_limits<double>::quiet_NaN();
            double sum = 0.0;
            for (const double v : runs) sum += v;
            const double n = static_cast<double>(runs.size());
            const double mean = runs.empty() ? nan : sum / n;
            double squares = 0.0;
            for (const double v : runs) squares += (v - mean) * (v - mean);
            const bool spread = runs.size() > 1 && std::isfinite(mean);
            lines[l].mean.push_back(mean);
            lines[l].halfwidth.push_back(spread ? tquantile95(static_cast<int64_t>(runs.size()) - 1) *
                                                      std::sqrt(squares / (n - 1) / n)
                                                : nan);
        }
    }
    return lines;
}

std::string summarycsv(const std::vector<summaryline>& lines) {
    const auto& columns = sweepcolumns();
    std::string text;
    for (size_t c = 1; c < seedcolumn; ++c) text += columns[c] + ",";
    text += "runs";
    for (size_t c = conditioncolumns; c < columns.size(); ++c)
        text += "," + columns[c] + "," + columns[c] + "_ci95";
    text += "\n";
    for (const summaryline& l : lines) {
        for (const std::string& v : l.condition) text += csvfield(v) + ",";
        text += std::to_string(l.runs);
        for (size_t f = 0; f < l.mean.size(); ++f)
            text += "," + formatfigure(l.mean[f]) + "," + formatfigure(l.halfwidth[f]);
        text += "\n";
    }
    return text;
}

std::string summarytable(const std::vector<summaryline>& lines) {
    if (lines.empty()) return "";
    const auto& columns = sweepcolumns();
    std::vector<size_t> shown; // condition columns that vary
    for (size_t c = 0; c + 1 < seedcolumn; ++c)
        for (const summaryline& l : lines)
            if (l.condition[c] != lines[0].condition[c]) {
                shown.push_back(c);
                break;
            }
    std::vector<std::string> figures = {"segsnr_clean", "fwsnr_clean", "lsd_clean", "lost", "concealed"};
    if (!std::isnan(lines[0].mean[sweepcolumn("segsnr_orig") - conditioncolumns]))
        figures.insert(figures.begin() + 3, {"segsnr_orig", "fwsnr_orig"});
    std::vector<std::vector<std::string>> cells(1);
    for (const size_t c : shown) cells[0].push_back(columns[c + 1]);
    cells[0].push_back("runs");
    for (const std::string& f : figures) cells[0].push_back(f);
    for (const summaryline& l : lines) {
        cells.emplace_back();
        for (const size_t c : shown) cells.back().push_back(l.condition[c]);
        cells.back().push_back(std::to_string(l.runs));
        for (const std::string& f : figures) {
            const size_t i = sweepcolumn(f) - conditioncolumns;
            const bool count = f == "lost" || f == "concealed";
            std::string v = formatfigure(l.mean[i], count ? "%.1f" : "%.2f");
            if (!std::isnan(l.halfwidth[i]))
                v += " +-" + formatfigure(l.halfwidth[i], count ? "%.1f" : "%.2f");
            cells.back().push_back(v.empty() ? "-" : v);
        }
    }
    std::vector<size_t> width(cells[0].size());
    for (const auto& row : cells)
        for (size_t i = 0; i < row.size(); ++i) width[i] = std::max(width[i], row[i].size());
    std::string text;
    for (const auto& row : cells) {
        for (size_t i = 0; i < row.size(); ++i)
            text += (i ? "  " : "") + std::string(width[i] - row[i].size(), ' ') + row[i];
        text += "\n";
    }
    return text;
}
