#ifndef TONVEX_H
#define TONVEX_H
/* libtonvex, the C interface: a session handle that decodes, scales and inspects .ztb
 * bitstreams from files, memory or a read callback, and the encoder. Every function
 * returns a tonvex_status; a session's last failure text stays readable until its next
 * operation. Sessions share nothing: one thread per session, any number of sessions at
 * once. */
#include <stddef.h>
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

/* Where a bitstream comes from. A memory source does not copy the bytes: they must stay
 * unchanged while an operation reads them. A read callback puts up to size bytes into
 * buffer and returns how many, 0 at the end or -1 on a failure; it is read to its end
 * when an operation starts. A source serves any number of operations. */
typedef struct tonvex_source tonvex_source;
typedef int64_t (*tonvex_read_callback)(void* user, void* buffer, size_t size);
tonvex_status tonvex_source_file(const char* path, tonvex_source** source);
tonvex_status tonvex_source_memory(const void* data, size_t size, tonvex_source** source);
tonvex_status tonvex_source_callback(tonvex_read_callback read, void* user, tonvex_source** source);
void tonvex_source_free(tonvex_source* source);

/* Receives each decoded frame instead of a WAV file: count interleaved 16-bit samples,
 * channel 0 first. Returns nonzero to go on, 0 to stop the decode. */
typedef int (*tonvex_pcm_callback)(void* user, const int16_t* samples, size_t count, int channels,
                                   int samplerate);

tonvex_status tonvex_decode(tonvex_session* session, const char* bitstream, const char* wav);
tonvex_status tonvex_decode_source(tonvex_session* session, const tonvex_source* bitstream, const char* wav);
tonvex_status tonvex_decode_pcm(tonvex_session* session, const tonvex_source* bitstream,
                                tonvex_pcm_callback output, void* user);
/* The scaled stream in memory: *bytes (release it with tonvex_free) holds *size bytes. */
tonvex_status tonvex_scale_memory(tonvex_session* session, const tonvex_source* bitstream, uint8_t** bytes,
                                  size_t* size);
tonvex_status tonvex_scale_source(tonvex_session* session, const tonvex_source* bitstream,
                                  const char* scaled);
void tonvex_free(void* memory);
tonvex_status tonvex_scale(tonvex_session* session, const char* bitstream, const char* scaled);
tonvex_status tonvex_stats_of(const tonvex_session* session, tonvex_stats* stats);
/* What the frame walk of `tonvex info` finds, without decoding. */
typedef struct tonvex_streaminfo {
    int headerfound;
    int walkedtoend; /* 0: the walk stopped on a read failure */
    int samplerate;  /* Hz */
    int channels;
    int64_t filebytes;
    int64_t frames; /* good and lost */
    int64_t goodframes;
    int64_t lostframes;
    int64_t damagedheaders;
    int minwords, maxwords; /* frame lengths of good frames in 16-bit words */
    int64_t totalwords;
} tonvex_streaminfo;
/* TONVEX_ERROR_RUN when the walk met a failure; info holds what was found up to it. */
tonvex_status tonvex_inspect(tonvex_session* session, const tonvex_source* bitstream,
                             tonvex_streaminfo* info);

/* Frame-by-frame decoding for callers that do their own framing; words are the
 * stream's 16-bit words as numbers. Made from the first frame (n words, header first),
 * whose header must be intact, with the settings and random state of session (NULL: the
 * initial ones); TONVEX_ERROR_RUN when the frame gives no layout. The first frame is not
 * decoded: hand it to tonvex_framedecoder_decode like every other. */
typedef struct tonvex_framedecoder tonvex_framedecoder;
tonvex_status tonvex_framedecoder_new(const tonvex_session* session, const uint16_t* firstframe, size_t n,
                                      tonvex_framedecoder** decoder);
void tonvex_framedecoder_free(tonvex_framedecoder* decoder);
tonvex_status tonvex_framedecoder_layout(const tonvex_framedecoder* decoder, int* channels, int* samplerate);
/* One frame of n words into samples (room for capacity values; 2048 always suffice):
 * *count interleaved 16-bit samples. words NULL: a frame that never arrived, concealed. A
 * frame with a damaged header or fewer words than it announces is concealed too. */
tonvex_status tonvex_framedecoder_decode(tonvex_framedecoder* decoder, const uint16_t* words, size_t n,
                                         int16_t* samples, size_t capacity, size_t* count);

/* The last failure text of the session, "" when there was none. */
const char* tonvex_last_error(const tonvex_session* session);

/* Encodes an audio file at bitrate kbit/s with the default codec configuration. */
tonvex_status tonvex_encode(const char* audio, const char* bitstream, double bitrate);

#ifdef __cplusplus
}
#endif
#endif
