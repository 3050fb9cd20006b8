#include "cli/jsonreport.h"

#include "app/CTonvexDoc.h"
#include "app/inforowformat.h"

namespace {

constexpr int rowprecision = 1; // decimals of the panel's rows

nlohmann::ordered_json rowsjson(const CTonvexDoc& doc) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const inforow& row : doc.inforows)
        rows.push_back({{"kind", row.kind},
                        {"label", row.label},
                        {"value", row.value},
                        {"unit", row.unit},
                        {"text", formatinforow(row.kind, row.label, row.value, row.unit, rowprecision)}});
    return rows;
}

// Seconds of audio in the frames the operation handled.
double streamseconds(const CTonvexDoc& doc) {
    return doc.fs_khz > 0.0
               ? static_cast<double>(doc.stats.frameshandled) * doc.framelen / (doc.fs_khz * 1000.0)
               : 0.0;
}

} // namespace

std::string measuredber(std::int64_t flipped, std::int64_t inspected) {
    return std::to_string(flipped) + " of " + std::to_string(inspected) + " bits";
}

nlohmann::ordered_json operationreport(const CTonvexDoc& doc, const runrecord& run) {
    const drivestats& s = doc.stats;
    const double audio = streamseconds(doc);
    return {
        {"command", run.command},
        {"input", run.input},
        {"output", run.output},
        {"completed", run.completed},
        {"messages", run.messages},
        {"status", doc.statustext},
        {"rows", rowsjson(doc)},
        {"frames_handled", s.frameshandled},
        {"frames_written", s.frameswritten},
        {"frames_lost", s.frameslost},
        {"frames_skipped", s.framesskipped},
        {"frames_concealed", s.framesconcealed},
        {"damaged_headers", s.damagedheaders},
        {"pass_crc_failures", s.passcrcfailures},
        {"resyncs",
         {{"damaged_length", s.resyncs[1]},
          {"last_good_length", s.resyncs[2]},
          {"sliding", s.resyncs[3]},
          {"none_found", s.resyncs[0]}}},
        {"words_skipped", s.wordsskipped},
        {"ber_setting", doc.ber},
        {"bits_flipped", doc.nbiterrors},
        {"bits_inspected", doc.nbitsseen},
        {"measured_ber", measuredber(doc.nbiterrors, doc.nbitsseen)},
        {"stream_seconds", audio},
        {"elapsed_seconds", run.elapsedseconds},
        // Processing time over playing time, as the status line gives it.
        {"realtime_ratio", audio > 0.0 ? run.elapsedseconds / audio : 0.0},
        {"seed", run.seed},
    };
}
