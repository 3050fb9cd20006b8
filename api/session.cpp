// The C++ interface over the engine: a session is one stream job with hooks that collect
// what a run shows.
#include <cmath>

#include "engine/settings.h"
#include "engine/streamjob.h"
#include "tonvex/tonvex.hpp"

namespace tonvex {

const char* version() {
    return "1.2.0";
}

struct session::state {
    streamjob job;
    std::function<void(int)> progress;
    std::function<void(const event&)> events;
};

session::session() : s(std::make_unique<state>()) {}
session::~session() = default;
session::session(session&&) noexcept = default;
session& session::operator=(session&&) noexcept = default;

namespace {

bool accepted(setresult result, std::string_view name, std::string* error) {
    if (result == setresult::ok) return true;
    if (error != nullptr) *error = settingerror(result, name);
    return false;
}

event eventof(const driveevent& e) {
    return {static_cast<event::kinds>(e.kind), e.frame, e.way, e.words, e.channel, e.crcerrorpos};
}

// Runs one operation of the job and gathers what it showed and counted.
runresult runjob(streamjob& job, const std::function<void(int)>& progress,
                 const std::function<void(const event&)>& events, void (streamjob::*operation)()) {
    runresult result;
    job.hooks.messages = messagesink([&result](const std::string& text) { result.messages.push_back(text); });
    job.hooks.progress = [&progress](int32_t percent) {
        if (progress) progress(percent);
    };
    job.hooks.event = [&events](const driveevent& e) {
        if (events) events(eventof(e));
    };
    job.hooks.finished = [&result](const runsummary& summary) {
        result.status = summary.statustext;
        result.inputkbps = summary.rows[1].value;
        result.outputkbps = summary.rows[2].value;
        result.biterrorrate = summary.rows[4].value;
    };
    (job.*operation)();
    job.hooks = {};
    const drivestats& stats = job.stats;
    result.completed = stats.completed && result.messages.empty();
    result.frames = stats.frameshandled;
    result.frameswritten = stats.frameswritten;
    result.frameslost = stats.frameslost;
    result.framesconcealed = stats.framesconcealed;
    result.frameserased = stats.frameserased;
    result.passcrcfailures = stats.passcrcfailures;
    result.biterrors = job.nbiterrors;
    result.bitsseen = job.nbitsseen;
    result.samplerate = static_cast<int>(std::floor(job.fs_khz * 1000.0 + 0.5));
    return result;
}

} // namespace

bool session::set(std::string_view name, double value, std::string* error) {
    return accepted(setsetting(s->job, name, value), name, error);
}

bool session::set(std::string_view name, std::string_view text, std::string* error) {
    return accepted(setsettingtext(s->job, name, text), name, error);
}

std::optional<double> session::get(std::string_view name) const {
    return getsetting(s->job, name);
}

std::vector<std::string> session::settingnames() {
    std::vector<std::string> names;
    for (const settinginfo& info : settinglist()) names.push_back(info.name);
    return names;
}

void session::seed(std::uint32_t state) {
    s->job.random.seed(state);
}

std::uint32_t session::randomstate() const {
    return s->job.random.state();
}

void session::onprogress(std::function<void(int)> progress) {
    s->progress = std::move(progress);
}

void session::onevent(std::function<void(const event&)> handler) {
    s->events = std::move(handler);
}

runresult session::decode(const std::string& bitstream, const std::string& wav) {
    s->job.bitstreampath = bitstream;
    s->job.wavpath = wav;
    return runjob(s->job, s->progress, s->events, &streamjob::decodeZAT);
}

runresult session::scale(const std::string& bitstream, const std::string& scaled) {
    s->job.bitstreampath = bitstream;
    s->job.scaledpath = scaled;
    return runjob(s->job, s->progress, s->events, &streamjob::scaleZAT);
}

} // namespace tonvex
