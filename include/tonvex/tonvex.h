#ifndef TONVEX_H
#define TONVEX_H
/* libtonvex, the C interface: a session handle that decodes and scales .ztb
 * bitstreams, and the encoder. Every function returns a tonvex_status; a session's last
 * failure text stays readable until its next operation. Sessions share nothing: one
 * thread per session, any number of sessions at once. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum tonvex_status {
    TONVEX_OK = 0,
    TONVEX_ERROR_ARGUMENT = 1, /* a null handle or path */
    TONVEX_ERROR_SETTING = 2,  /* unknown setting name or value out of range */
    TONVEX_ERROR_RUN = 3,      /* the operation stopped or showed a failure message */
    TONVEX_ERROR_MEMORY = 4
} tonvex_status;

typedef struct tonvex_session tonvex_session;

/* What the last decode or scale of a session did. */
typedef struct tonvex_stats {
    int64_t frames; /* handled: good, lost and skipped */
    int64_t frameslost;
    int64_t framesconcealed;
    int64_t biterrors; /* flipped by the error model */
    int64_t bitsseen;
    double inputkbps;
    double outputkbps;
    int samplerate; /* Hz of the stream */
} tonvex_stats;

const char* tonvex_version(void); /* "1.2.0" */

tonvex_status tonvex_session_new(tonvex_session** session);
void tonvex_session_free(tonvex_session* session);

/* A setting by its name, as `tonvex settings` lists them; text for patternpath. */
tonvex_status tonvex_set(tonvex_session* session, const char* name, double value);
tonvex_status tonvex_set_text(tonvex_session* session, const char* name, const char* text);
/* The random source's state; a fresh session starts at 1. */
tonvex_status tonvex_seed(tonvex_session* session, uint32_t state);

tonvex_status tonvex_decode(tonvex_session* session, const char* bitstream, const char* wav);
tonvex_status tonvex_scale(tonvex_session* session, const char* bitstream, const char* scaled);
tonvex_status tonvex_stats_of(const tonvex_session* session, tonvex_stats* stats);
/* The last failure text of the session, "" when there was none. */
const char* tonvex_last_error(const tonvex_session* session);

/* Encodes an audio file at bitrate kbit/s with the default codec configuration. */
tonvex_status tonvex_encode(const char* audio, const char* bitstream, double bitrate);

#ifdef __cplusplus
}
#endif
#endif
