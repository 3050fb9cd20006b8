#pragma once
// The trace of --events: one entry per damaged header (a lost frame), re-synchronisation,
// skipped frame, failed pass CRC and concealed frame, with its frame number and its time
// in the stream, printed as it happens or collected for the JSON report.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

struct driveevent;
class CTonvexDoc;

class eventlog {
  public:
    // out: where lines go as events arrive; nullptr collects them for json() instead.
    eventlog(const CTonvexDoc& doc, std::FILE* out) : doc(doc), out(out) {}
    void record(const driveevent& event);
    const nlohmann::ordered_json& json() const { return collected; }

  private:
    const CTonvexDoc& doc;
    std::FILE* out;
    nlohmann::ordered_json collected = nlohmann::ordered_json::array();
};

// "frame 12 at 0.256 s: damaged header"; framelen samples a frame, fs_khz kHz.
std::string eventline(const driveevent& event, double fs_khz, int framelen);
