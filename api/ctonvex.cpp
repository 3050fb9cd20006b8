// The C interface: a session handle around the C++ session, statuses instead of
// exceptions.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tonvex/tonvex.h"
#include "tonvex/tonvex.hpp"

struct tonvex_session {
    tonvex::session session;
    tonvex::runresult last;
    std::string error;
};

struct tonvex_source {
    tonvex::source source;
};

struct tonvex_framedecoder {
    tonvex::framedecoder decoder;
};

namespace {

tonvex_status newsource(tonvex::source source, tonvex_source** out) {
    *out = new (std::nothrow) tonvex_source{std::move(source)};
    return *out != nullptr ? TONVEX_OK : TONVEX_ERROR_MEMORY;
}

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

tonvex_status tonvex_source_file(const char* path, tonvex_source** source) {
    if (path == nullptr || source == nullptr) return TONVEX_ERROR_ARGUMENT;
    return newsource(tonvex::source::file(path), source);
}

tonvex_status tonvex_source_memory(const void* data, size_t size, tonvex_source** source) {
    if ((data == nullptr && size > 0) || source == nullptr) return TONVEX_ERROR_ARGUMENT;
    return newsource(tonvex::source::memory(data, size), source);
}

tonvex_status tonvex_source_callback(tonvex_read_callback read, void* user, tonvex_source** source) {
    if (read == nullptr || source == nullptr) return TONVEX_ERROR_ARGUMENT;
    return newsource(tonvex::source::callback([read, user](void* buffer, std::size_t size) {
                         return static_cast<std::ptrdiff_t>(read(user, buffer, size));
                     }),
                     source);
}

void tonvex_source_free(tonvex_source* source) {
    delete source;
}

tonvex_status tonvex_decode_source(tonvex_session* session, const tonvex_source* bitstream, const char* wav) {
    if (session == nullptr || bitstream == nullptr || wav == nullptr) return TONVEX_ERROR_ARGUMENT;
    return finish(session, session->session.decode(bitstream->source, wav));
}

tonvex_status tonvex_decode_pcm(tonvex_session* session, const tonvex_source* bitstream,
                                tonvex_pcm_callback output, void* user) {
    if (session == nullptr || bitstream == nullptr || output == nullptr) return TONVEX_ERROR_ARGUMENT;
    const tonvex::pcmframes frames = [output, user](const int16_t* samples, std::size_t count, int channels,
                                                    int samplerate) {
        return output(user, samples, count, channels, samplerate) != 0;
    };
    return finish(session, session->session.decode(bitstream->source, frames));
}

tonvex_status tonvex_scale_source(tonvex_session* session, const tonvex_source* bitstream,
                                  const char* scaled) {
    if (session == nullptr || bitstream == nullptr || scaled == nullptr) return TONVEX_ERROR_ARGUMENT;
    return finish(session, session->session.scale(bitstream->source, scaled));
}

tonvex_status tonvex_scale_memory(tonvex_session* session, const tonvex_source* bitstream, uint8_t** bytes,
                                  size_t* size) {
    if (session == nullptr || bitstream == nullptr || bytes == nullptr || size == nullptr)
        return TONVEX_ERROR_ARGUMENT;
    *bytes = nullptr;
    *size = 0;
    std::vector<std::uint8_t> scaled;
    const tonvex_status status = finish(session, session->session.scale(bitstream->source, scaled));
    if (status != TONVEX_OK) return status;
    // malloc, so that C callers may release it with tonvex_free (or free) alike.
    *bytes = static_cast<uint8_t*>(std::malloc(scaled.empty() ? 1 : scaled.size()));
    if (*bytes == nullptr) return TONVEX_ERROR_MEMORY;
    if (!scaled.empty()) std::memcpy(*bytes, scaled.data(), scaled.size());
    *size = scaled.size();
    return TONVEX_OK;
}

void tonvex_free(void* memory) {
    std::free(memory);
}

tonvex_status tonvex_inspect(tonvex_session* session, const tonvex_source* bitstream,
                             tonvex_streaminfo* info) {
    if (session == nullptr || bitstream == nullptr || info == nullptr) return TONVEX_ERROR_ARGUMENT;
    const tonvex::streaminfo i = session->session.inspect(bitstream->source);
    *info = {i.headerfound, i.walkedtoend, i.samplerate,     i.channels, i.filebytes, i.frames,
             i.goodframes,  i.lostframes,  i.damagedheaders, i.minwords, i.maxwords,  i.totalwords};
    session->error = i.messages.empty() ? "" : i.messages.back();
    return i.messages.empty() ? TONVEX_OK : TONVEX_ERROR_RUN;
}

tonvex_status tonvex_framedecoder_new(const tonvex_session* session, const uint16_t* firstframe, size_t n,
                                      tonvex_framedecoder** decoder) {
    if (firstframe == nullptr || decoder == nullptr) return TONVEX_ERROR_ARGUMENT;
    *decoder = new (std::nothrow)
        tonvex_framedecoder{tonvex::framedecoder(firstframe, n, session ? &session->session : nullptr)};
    if (*decoder == nullptr) return TONVEX_ERROR_MEMORY;
    if ((*decoder)->decoder.valid()) return TONVEX_OK;
    tonvex_framedecoder_free(*decoder);
    *decoder = nullptr;
    return TONVEX_ERROR_RUN;
}

void tonvex_framedecoder_free(tonvex_framedecoder* decoder) {
    delete decoder;
}

tonvex_status tonvex_framedecoder_layout(const tonvex_framedecoder* decoder, int* channels, int* samplerate) {
    if (decoder == nullptr || channels == nullptr || samplerate == nullptr) return TONVEX_ERROR_ARGUMENT;
    *channels = decoder->decoder.channels();
    *samplerate = decoder->decoder.samplerate();
    return TONVEX_OK;
}

tonvex_status tonvex_framedecoder_decode(tonvex_framedecoder* decoder, const uint16_t* words, size_t n,
                                         int16_t* samples, size_t capacity, size_t* count) {
    if (decoder == nullptr || samples == nullptr || count == nullptr) return TONVEX_ERROR_ARGUMENT;
    const auto needed = static_cast<size_t>(decoder->decoder.channels() * decoder->decoder.framelength());
    if (capacity < needed) return TONVEX_ERROR_ARGUMENT;
    const std::vector<int16_t> pcm = words ? decoder->decoder.decode(words, n) : decoder->decoder.lost();
    std::copy(pcm.begin(), pcm.end(), samples);
    *count = pcm.size();
    return TONVEX_OK;
}
