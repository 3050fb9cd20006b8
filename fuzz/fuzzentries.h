#pragma once
// The fuzz entry points: each takes one input of arbitrary bytes, runs one part of the
// decoding path on it and aborts (through fuzzcheck or a sanitizer) on a fault. The
// libFuzzer executables wrap one each; the regression test replays saved inputs through
// all of them by name.
#include <cstddef>
#include <cstdint>
#include <span>

// decodeheader::read on arbitrary words under every header configuration.
int fuzz_header(const uint8_t* data, size_t size);
// zatdec::decode_frame on an arbitrary payload and arbitrary header fields.
int fuzz_channelframe(const uint8_t* data, size_t size);
// jzatdec::decode_frame and both channels' output on an arbitrary payload and fields.
int fuzz_jointframe(const uint8_t* data, size_t size);
// decodeZAT on an arbitrary file under a configuration chosen by the first bytes.
int fuzz_decode(const uint8_t* data, size_t size);
// scaleZAT on an arbitrary file under a configuration chosen by the first bytes.
int fuzz_scale(const uint8_t* data, size_t size);

struct namedfuzzentry {
    const char* name; // also the folder of its inputs under fuzz/regressions and fuzz/corpus
    int (*run)(const uint8_t* data, size_t size);
};
std::span<const namedfuzzentry> fuzzentries();
