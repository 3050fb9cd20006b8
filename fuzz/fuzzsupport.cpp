#include "fuzz/fuzzsupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/CTonvexDoc.h"
#include "app/settings.h"
#include "base/random.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzinput.h"

quietrun::quietrun() {
    previoushandler = setmessagehandler([this](const std::string& text) {
        messages += 1;
        last = text;
    });
    previouswindow = setmainframewindow(&window);
}

quietrun::~quietrun() {
    setmainframewindow(previouswindow);
    setmessagehandler(previoushandler);
}

void fuzzrun::start() {
    random_seed(1);
    fuzzsettings(doc, in);
}

void fuzzcheck(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void fuzzsettings(CTonvexDoc& doc, fuzzinput& in) {
    const std::vector<settinginfo>& settings = settinglist();
    const int count = in.choose(8);
    for (int i = 0; i < count; ++i) {
        const settinginfo& setting =
            settings[static_cast<size_t>(in.choose(static_cast<int>(settings.size())))];
        const uint8_t pick = in.byte();
        const double span = setting.maximum - setting.minimum;
        // Cubed for real values: wide ranges (bitrates, error rates) are mostly used low.
        const double unit = pick / 255.0;
        const double value = setting.integer ? setting.minimum + pick % (static_cast<int>(span) + 1)
                                             : setting.minimum + span * (unit * unit * unit);
        fuzzcheck(setsetting(doc, setting.name, value) == setresult::ok,
                  "a setting refused a value in its range");
    }
}

std::vector<uint8_t> encodesettings(const std::vector<std::pair<std::string, double>>& settings) {
    const std::vector<settinginfo>& list = settinglist();
    std::vector<uint8_t> bytes{static_cast<uint8_t>(settings.size())};
    for (const auto& [name, value] : settings) {
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].name != name) continue;
            const double unit = (value - list[i].minimum) / (list[i].maximum - list[i].minimum);
            bytes.push_back(static_cast<uint8_t>(i));
            bytes.push_back(static_cast<uint8_t>(list[i].integer ? value - list[i].minimum
                                                                 : std::lround(std::cbrt(unit) * 255.0)));
        }
    }
    return bytes;
}

std::span<const namedfuzzentry> fuzzentries() {
    static constexpr namedfuzzentry entries[] = {
        {"header", fuzz_header},         {"channelframe", fuzz_channelframe},
        {"jointframe", fuzz_jointframe}, {"decode", fuzz_decode},
        {"scale", fuzz_scale},
    };
    return entries;
}
