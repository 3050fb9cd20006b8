/* Decodes a bitstream to WAV with the C interface of libtonvex:
 *   decode_c IN.ztb OUT.wav */
#include <stdio.h>
#include <tonvex/tonvex.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s IN.ztb OUT.wav\n", argv[0]);
        return 2;
    }
    tonvex_session* session = NULL;
    if (tonvex_session_new(&session) != TONVEX_OK) return 1;
    const tonvex_status status = tonvex_decode(session, argv[1], argv[2]);
    if (status != TONVEX_OK) {
        fprintf(stderr, "tonvex %s: %s\n", tonvex_version(), tonvex_last_error(session));
        tonvex_session_free(session);
        return 1;
    }
    tonvex_stats stats;
    tonvex_stats_of(session, &stats);
    printf("%lld frames at %d Hz, %.2f kbit/s\n", (long long)stats.frames, stats.samplerate, stats.inputkbps);
    tonvex_session_free(session);
    return 0;
}
