#include "cli/eventlog.h"

#include "app/CTonvexDoc.h"
#include "cli/streamtime.h"

namespace {

const char* kindname(driveevent::kinds kind) {
    switch (kind) {
    case driveevent::damagedheader:
        return "damaged header";
    case driveevent::resync:
        return "resync";
    case driveevent::skippedframe:
        return "skipped frame";
    case driveevent::passcrcfailed:
        return "pass CRC failed";
    case driveevent::concealedframe:
        return "concealed frame";
    case driveevent::erasedframe:
        return "erased frame";
    }
    return "?";
}

// The three ways readframe finds the next header, in the order it tries them.
const char* resyncway(int way) {
    switch (way) {
    case 1:
        return "damaged length";
    case 2:
        return "last good length";
    case 3:
        return "sliding";
    default:
        return "none found";
    }
}

std::string decodername(int channel) {
    return channel < 0 ? "joint decoder" : "channel " + std::to_string(channel);
}

} // namespace

std::string eventline(const driveevent& event, double fs_khz, int framelen) {
    char head[64];
    std::snprintf(head, sizeof head, "frame %lld at %.3f s: ", static_cast<long long>(event.frame),
                  streamseconds(event.frame, fs_khz, framelen));
    std::string line = head;
    line += kindname(event.kind);
    switch (event.kind) {
    case driveevent::resync:
        line += std::string(" by ") + resyncway(event.way) + ", " + std::to_string(event.words) +
                " words skipped";
        break;
    case driveevent::passcrcfailed:
        line += ", " + decodername(event.channel) + ", bit-plane " + std::to_string(event.crcerrorpos);
        break;
    case driveevent::concealedframe:
        line += ", " + decodername(event.channel);
        break;
    default:
        break;
    }
    return line;
}

void eventlog::record(const driveevent& event) {
    if (out) {
        std::fprintf(out, "%s\n", eventline(event, doc.fs_khz, doc.framelen).c_str());
        return;
    }
    nlohmann::ordered_json entry = {{"frame", event.frame},
                                    {"time", streamseconds(event.frame, doc.fs_khz, doc.framelen)},
                                    {"event", kindname(event.kind)}};
    if (event.kind == driveevent::resync) {
        entry["way"] = resyncway(event.way);
        entry["words_skipped"] = event.words;
    }
    if (event.kind == driveevent::passcrcfailed || event.kind == driveevent::concealedframe)
        entry["decoder"] = decodername(event.channel);
    if (event.kind == driveevent::passcrcfailed) entry["bitplane"] = event.crcerrorpos;
    collected.push_back(std::move(entry));
}
