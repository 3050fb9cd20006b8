#include "engine/io/wavheader.h"

#include <cstddef>

namespace {

// Writes the low `bytes` bytes of value, lowest first; false on a short write.
bool writelittle(std::FILE* file, std::uint64_t value, int bytes) {
    unsigned char out[4];
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
    return std::fwrite(out, 1, static_cast<std::size_t>(bytes), file) == static_cast<std::size_t>(bytes);
}

bool writetag(std::FILE* file, const char (&tag)[5]) {
    return std::fwrite(tag, 1, 4, file) == 4;
}

} // namespace

int writewavheader(std::FILE* file, std::int16_t nch, std::int64_t samples, std::int32_t rate,
                   std::int16_t bits) {
    if (file == nullptr) return 1;
    const std::int64_t blockalign = nch * bits / 8;
    // Unsigned 64-bit products wrap instead of overflowing; the fields keep their low 32 bits.
    const std::uint64_t byterate = static_cast<std::uint64_t>(rate) * static_cast<std::uint64_t>(blockalign);
    const std::uint64_t datasize =
        static_cast<std::uint64_t>(samples) * static_cast<std::uint64_t>(blockalign);
    const bool complete = writetag(file, "RIFF") && writelittle(file, datasize + 36, 4) &&
                          writetag(file, "WAVE") && writetag(file, "fmt ") && writelittle(file, 16, 4) &&
                          writelittle(file, 1, 2) && writelittle(file, static_cast<std::uint16_t>(nch), 2) &&
                          writelittle(file, static_cast<std::uint32_t>(rate), 4) &&
                          writelittle(file, byterate, 4) &&
                          writelittle(file, static_cast<std::uint64_t>(blockalign), 2) &&
                          writelittle(file, static_cast<std::uint16_t>(bits), 2) && writetag(file, "data") &&
                          writelittle(file, datasize, 4);
    return complete ? 0 : 1;
}
