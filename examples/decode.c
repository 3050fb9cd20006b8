/* Decodes a bitstream held in memory to WAV with the C interface of libtonvex:
 *   decode_c IN.ztb OUT.wav */
#include <stdio.h>
#include <stdlib.h>
#include <tonvex/tonvex.h>

/* The whole file in memory; NULL on failure. */
static unsigned char* readfile(const char* path, size_t* size) {
    FILE* file = fopen(path, "rb");
    unsigned char* bytes = NULL;
    long length = -1;
    if (file && fseek(file, 0, SEEK_END) == 0) length = ftell(file);
    if (length >= 0 && fseek(file, 0, SEEK_SET) == 0) bytes = malloc((size_t)length + 1);
    if (bytes && fread(bytes, 1, (size_t)length, file) != (size_t)length) {
        free(bytes);
        bytes = NULL;
    }
    if (file) fclose(file);
    *size = bytes ? (size_t)length : 0;
    return bytes;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s IN.ztb OUT.wav\n", argv[0]);
        return 2;
    }
    size_t size = 0;
    unsigned char* bytes = readfile(argv[1], &size);
    if (!bytes) {
        fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    tonvex_session* session = NULL;
    tonvex_source* source = NULL;
    int status = 1;
    if (tonvex_session_new(&session) == TONVEX_OK &&
        tonvex_source_memory(bytes, size, &source) == TONVEX_OK) {
        if (tonvex_decode_source(session, source, argv[2]) == TONVEX_OK) {
            tonvex_stats stats;
            tonvex_stats_of(session, &stats);
            printf("%lld frames at %d Hz, %.2f kbit/s\n", (long long)stats.frames, stats.samplerate,
                   stats.inputkbps);
            status = 0;
        } else {
            fprintf(stderr, "tonvex %s: %s\n", tonvex_version(), tonvex_last_error(session));
        }
    }
    tonvex_source_free(source);
    tonvex_session_free(session);
    free(bytes);
    return status;
}
