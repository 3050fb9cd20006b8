#include "engine/errors/patternmaker.h"

#include "engine/errors/errorchannel.h"
#include "engine/errors/twostatechannel.h"

errorpattern makepattern(int32_t model, double rate, double gamma, int64_t length) {
    errorpattern pattern;
    pattern.kind = model == errormodel_erasure ? errorpattern::frames : errorpattern::bits;
    const double burstiness = model == errormodel_independent ? 0.0 : gamma;
    twostatechannel channel;
    pattern.marks.reserve(length > 0 ? static_cast<size_t>(length) : 0);
    for (int64_t i = 0; i < length; i++) pattern.marks.push_back(channel.pass(rate, burstiness) ? 1 : 0);
    return pattern;
}
