#include "engine/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <variant>

#include "engine/streamjob.h"

namespace {

// A member of the job, or of the coding configuration that the job holds.
using member = std::variant<double streamjob::*, int32_t streamjob::*, int16_t streamjob::*,
                            double codingconfig::*, int32_t codingconfig::*, int16_t codingconfig::*>;

template <class job, class T> decltype(auto) at(job& doc, T streamjob::*field) {
    return (doc.*field);
}
template <class job, class T> decltype(auto) at(job& doc, T codingconfig::*field) {
    return (doc.config.*field);
}
template <class owner, class T> constexpr bool integral(T owner::*) {
    return std::is_integral_v<T>;
}

struct entry {
    const char* name;
    member field;
    double minimum, maximum;
};

// The stream-derived values (srindex, fs_khz, shortlen, nblock, nband1, nband2, the
// midpoint) and the buffer geometry (framelen, longlen) are not settings: every operation
// derives them, and the buffers and decoders are built for them.
const entry entries[] = {
    {"ber", &streamjob::ber, 0.0, 0.002},
    {"scaledbitrate", &streamjob::scaledbitrate, 0.0, 100000.0},
    {"concealatten", &codingconfig::concealatten, 0.0, 100.0},
    {"noisestart", &codingconfig::noisestart, 0.0, 48.0},
    {"shorterbbase", &codingconfig::shorterbbase, 1.0, 1000.0},
    {"longerbbase", &codingconfig::longerbbase, 1.0, 1000.0},
    {"recon0", &codingconfig::recon0, 0.0, 1.0},
    {"recon1", &codingconfig::recon1, 0.0, 1.0},
    {"weightstep", &codingconfig::weightstep, 0.0, 12.0},
    {"crclevel", &codingconfig::crclevel, 0, 3},
    {"scanmode", &codingconfig::scanmode, 0, 2},
    {"initblockmode", &codingconfig::initblockmode, 0, 2},
    {"chaninterleave", &codingconfig::chaninterleave, 0, 1},
    {"fillthreshold", &codingconfig::fillthreshold, 0, 100},
    {"concealatten_on", &codingconfig::concealatten_on, 0, 1},
    {"concealmethod", &codingconfig::concealmethod, 0, 3},
    {"signrandom_on", &codingconfig::signrandom_on, 0, 1},
    {"signstored_on", &codingconfig::signstored_on, 0, 1},
    {"errorsenabled", &streamjob::errorsenabled, 0, 1},
    {"wstepmode", &codingconfig::wstepmode, 0, 1},
    {"wsignmode", &codingconfig::wsignmode, 0, 2},
    {"wpredmode", &codingconfig::wpredmode, 0, 2},
    {"shortbandtype", &codingconfig::shortbandtype, 0, 1},
    {"longbandtype", &codingconfig::longbandtype, 0, 1},
    {"outputbitratemode", &streamjob::outputbitratemode, 0, 1},
    {"runmode", &codingconfig::runmode, 0, 2},
    {"synctolerance", &streamjob::synctolerance, 0, 16},
    {"wparamshort", &codingconfig::wparamshort, 0, 8},
    {"wparamlong", &codingconfig::wparamlong, 0, 8},
    {"runparam", &codingconfig::runparam, 1, 8},
    {"refinefirst", &codingconfig::refinefirst, 0, 1},
    {"scfresmode", &codingconfig::scfresmode, 0, 2},
    {"jointcoding", &codingconfig::jointcoding, 0, 1},
    {"crcon", &codingconfig::crcon, 0, 1},
    {"weightmode", &codingconfig::weightmode, 0, 2},
    {"weightshare", &codingconfig::weightshare, 0, 1},
    {"weighton", &codingconfig::weighton, 0, 1},
    {"reconmode", &codingconfig::reconmode, 0, 4},
    {"weightbits", &codingconfig::weightbits, 1, 8},
    {"weightrefbits", &codingconfig::weightrefbits, 1, 8},
    {"dither", &streamjob::dither, 0, 1},
    {"errormodel", &streamjob::errormodel, 0, 3},
    {"gamma", &streamjob::gamma, 0.0, 1.0},
    {"fer", &streamjob::fer, 0.0, 0.5},
};

struct textentry {
    const char* name;
    std::string streamjob::*field;
};

// Settings that hold text: file names the operations read.
const textentry textentries[] = {
    {"patternpath", &streamjob::patternpath},
};

const textentry* findtextentry(std::string_view name) {
    for (const textentry& e : textentries)
        if (name == e.name) return &e;
    return nullptr;
}

const entry* findentry(std::string_view name) {
    for (const entry& e : entries)
        if (name == e.name) return &e;
    return nullptr;
}

bool isinteger(const entry& e) {
    return std::visit([](auto field) { return integral(field); }, e.field);
}

std::string shortnumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

const std::vector<settinginfo>& settinglist() {
    static const std::vector<settinginfo> list = [] {
        std::vector<settinginfo> result;
        for (const entry& e : entries) result.push_back({e.name, e.minimum, e.maximum, isinteger(e)});
        return result;
    }();
    return list;
}

std::optional<settinginfo> findsetting(std::string_view name) {
    const entry* e = findentry(name);
    if (!e) return std::nullopt;
    return settinginfo{e->name, e->minimum, e->maximum, isinteger(*e)};
}

const std::vector<std::string>& textsettinglist() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> result;
        for (const textentry& e : textentries) result.emplace_back(e.name);
        return result;
    }();
    return list;
}

std::optional<std::string> gettextsetting(const streamjob& doc, std::string_view name) {
    const textentry* t = findtextentry(name);
    if (!t) return std::nullopt;
    return doc.*(t->field);
}

std::optional<double> getsetting(const streamjob& doc, std::string_view name) {
    const entry* e = findentry(name);
    if (!e) return std::nullopt;
    return std::visit([&doc](auto field) { return static_cast<double>(at(doc, field)); }, e->field);
}

setresult setsetting(streamjob& doc, std::string_view name, double value) {
    if (findtextentry(name)) return setresult::needstext;
    const entry* e = findentry(name);
    if (!e) return setresult::unknownname;
    if (!std::isfinite(value)) return setresult::notfinite;
    if (isinteger(*e) && value != std::floor(value)) return setresult::notinteger;
    if (value < e->minimum || value > e->maximum) return setresult::outofrange;
    std::visit(
        [&doc, value](auto field) {
            auto& target = at(doc, field);
            target = static_cast<std::remove_reference_t<decltype(target)>>(value);
        },
        e->field);
    return setresult::ok;
}

setresult setsettingtext(streamjob& doc, std::string_view name, std::string_view text) {
    if (const textentry* t = findtextentry(name)) {
        doc.*(t->field) = std::string(text);
        return setresult::ok;
    }
    if (!findentry(name)) return setresult::unknownname;
    const std::string copy(text);
    char* end = nullptr;
    const double value = copy.empty() ? 0.0 : std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size()) return setresult::notanumber;
    return setsetting(doc, name, value);
}

std::string settingerror(setresult result, std::string_view name) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    const entry* e = findentry(name);
    const auto range = [e] {
        return e ? " (" + shortnumber(e->minimum) + " to " + shortnumber(e->maximum) + ")" : std::string();
    };
    switch (result) {
    case setresult::ok:
        return "";
    case setresult::unknownname: {
        std::string text = "unknown setting " + quoted + "; valid settings:";
        for (const entry& each : entries) text += std::string(" ") + each.name;
        for (const textentry& each : textentries) text += std::string(" ") + each.name;
        return text;
    }
    case setresult::notanumber:
        return "setting " + quoted + " needs a number";
    case setresult::needstext:
        return "setting " + quoted + " takes a file name, not a number";
    case setresult::notfinite:
        return "setting " + quoted + " needs a finite number";
    case setresult::notinteger:
        return "setting " + quoted + " needs a whole number" + range();
    case setresult::outofrange:
        return "setting " + quoted + " is out of range" + range();
    }
    return "";
}
