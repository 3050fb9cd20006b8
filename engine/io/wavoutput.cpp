// The document's WAV header operation: the decode driver writes the provisional header
// (all sizes 0) right after creating the file and the final one after the last frame.
#include "app/CTonvexDoc.h"
#include "engine/io/wavheader.h"

int CTonvexDoc::writewavheader(std::FILE* file, int16_t nch, int64_t samples, int32_t rate,
                               int16_t bits) const {
    return ::writewavheader(file, nch, samples, rate, bits);
}
