#include "cli/jsonreport.h"

#include "app/CTonvexDoc.h"
#include "app/inforowformat.h"
#include "cli/errormodeloptions.h"
#include "cli/streamtime.h"
#include "engine/runreport.h"

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

} // namespace

nlohmann::ordered_json burstsjson(const bursthistogram& bursts) {
    nlohmann::ordered_json lengths = nlohmann::ordered_json::object();
    for (const auto& [length, count] : bursts.counts()) lengths[std::to_string(length)] = count;
    return {{"count", bursts.bursts()}, {"mean_length", bursts.meanlength()}, {"lengths", lengths}};
}

std::string measuredber(std::int64_t flipped, std::int64_t inspected) {
    return std::to_string(flipped) + " of " + std::to_string(inspected) + " bits";
}

nlohmann::ordered_json operationreport(const CTonvexDoc& doc, const runrecord& run) {
    const drivestats& s = doc.stats;
    const double audio = streamseconds(s.frameshandled, doc.fs_khz, doc.framelen);
    const double ratio =
        realtimeratio(ratehz(doc.fs_khz), run.elapsedseconds, s.frameshandled * doc.framelen);
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
        {"passes_cut", s.passescut},
        {"resyncs",
         {{"damaged_length", s.resyncs[1]},
          {"last_good_length", s.resyncs[2]},
          {"sliding", s.resyncs[3]},
          {"none_found", s.resyncs[0]}}},
        {"words_skipped", s.wordsskipped},
        {"frames_erased", s.frameserased},
        {"error_model", errormodeljson(doc)},
        {"ber_setting", doc.ber},
        {"bits_flipped", doc.nbiterrors},
        {"bits_inspected", doc.nbitsseen},
        {"measured_ber", measuredber(doc.nbiterrors, doc.nbitsseen)},
        {"bursts", burstsjson(s.bursts)},
        {"stream_seconds", audio},
        {"elapsed_seconds", run.elapsedseconds},
        // Processing time over playing time, as the status line gives it.
        {"realtime_ratio", ratio},
        {"seed", run.seed},
    };
}
