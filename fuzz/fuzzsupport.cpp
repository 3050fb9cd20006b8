#include "fuzz/fuzzsupport.h"

#include <cstdio>
#include <cstdlib>

#include "app/CTonvexDoc.h"
#include "engine/settings.h"
#include "fuzz/fuzzentries.h"
#include "fuzz/fuzzinput.h"

messagesink quietrun::sink() {
    return messagesink([this](const std::string& text) {
        messages += 1;
        last = text;
    });
}

void quietrun::attach(CTonvexDoc& doc) {
    doc.hooks.messages = sink();
    doc.window = &window;
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

std::span<const namedfuzzentry> fuzzentries() {
    static constexpr namedfuzzentry entries[] = {
        {"header", fuzz_header},         {"channelframe", fuzz_channelframe},
        {"jointframe", fuzz_jointframe}, {"decode", fuzz_decode},
        {"scale", fuzz_scale},
    };
    return entries;
}
