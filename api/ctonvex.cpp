// The C interface: a session handle around the C++ session, statuses instead of
// exceptions.
#include <new>
#include <string>

#include "tonvex/tonvex.h"
#include "tonvex/tonvex.hpp"

struct tonvex_session {
    tonvex::session session;
    tonvex::runresult last;
    std::string error;
};

namespace {

tonvex_status finish(tonvex_session* s, tonvex::runresult result) {
    s->last = std::move(result);
    s->error = s->last.messages.empty() ? "" : s->last.messages.back();
    return s->last.completed ? TONVEX_OK : TONVEX_ERROR_RUN;
}

} // namespace

const char* tonvex_version(void) {
    return tonvex::version();
}

tonvex_status tonvex_session_new(tonvex_session** session) {
    if (session == nullptr) return TONVEX_ERROR_ARGUMENT;
    *session = new (std::nothrow) tonvex_session;
    return *session != nullptr ? TONVEX_OK : TONVEX_ERROR_MEMORY;
}

void tonvex_session_free(tonvex_session* session) {
    delete session;
}

tonvex_status tonvex_set(tonvex_session* session, const char* name, double value) {
    if (session == nullptr || name == nullptr) return TONVEX_ERROR_ARGUMENT;
    return session->session.set(name, value, &session->error) ? TONVEX_OK : TONVEX_ERROR_SETTING;
}

tonvex_status tonvex_set_text(tonvex_session* session, const char* name, const char* text) {
    if (session == nullptr || name == nullptr || text == nullptr) return TONVEX_ERROR_ARGUMENT;
    return session->session.set(name, std::string_view(text), &session->error) ? TONVEX_OK
                                                                               : TONVEX_ERROR_SETTING;
}

tonvex_status tonvex_seed(tonvex_session* session, uint32_t state) {
    if (session == nullptr) return TONVEX_ERROR_ARGUMENT;
    session->session.seed(state);
    return TONVEX_OK;
}

tonvex_status tonvex_decode(tonvex_session* session, const char* bitstream, const char* wav) {
    if (session == nullptr || bitstream == nullptr || wav == nullptr) return TONVEX_ERROR_ARGUMENT;
    return finish(session, session->session.decode(bitstream, wav));
}

tonvex_status tonvex_scale(tonvex_session* session, const char* bitstream, const char* scaled) {
    if (session == nullptr || bitstream == nullptr || scaled == nullptr) return TONVEX_ERROR_ARGUMENT;
    return finish(session, session->session.scale(bitstream, scaled));
}

tonvex_status tonvex_stats_of(const tonvex_session* session, tonvex_stats* stats) {
    if (session == nullptr || stats == nullptr) return TONVEX_ERROR_ARGUMENT;
    const tonvex::runresult& r = session->last;
    *stats = {r.frames,   r.frameslost, r.framesconcealed, r.biterrors,
              r.bitsseen, r.inputkbps,  r.outputkbps,      r.samplerate};
    return TONVEX_OK;
}

const char* tonvex_last_error(const tonvex_session* session) {
    return session != nullptr ? session->error.c_str() : "";
}

tonvex_status tonvex_encode(const char* audio, const char* bitstream, double bitrate) {
    if (audio == nullptr || bitstream == nullptr) return TONVEX_ERROR_ARGUMENT;
    tonvex::encodeoptions options;
    options.bitrate = bitrate;
    return tonvex::encode(audio, bitstream, options).ok ? TONVEX_OK : TONVEX_ERROR_RUN;
}
