#include "engine/errors/errorchannel.h"

#include "app/CTonvexDoc.h"

namespace {

constexpr const char* modelnames[] = {"independent", "gilbert", "erasure", "pattern"};

// Also false for a NaN.
bool within(double value, double low, double high) {
    return value >= low && value <= high;
}

} // namespace

const char* errormodelname(int32_t model) {
    return model >= 0 && model < 4 ? modelnames[model] : "unknown";
}

std::optional<int32_t> errormodelnamed(std::string_view name) {
    for (int32_t model = 0; model < 4; model++)
        if (name == modelnames[model]) return model;
    return std::nullopt;
}

std::string errormodelproblem(const CTonvexDoc& doc) {
    const int32_t model = doc.errormodel;
    if (model < 0 || model > 3)
        return "error model " + std::to_string(model) +
               " is not one of 0 independent, 1 gilbert, 2 erasure, 3 pattern";
    if (!within(doc.gamma, 0.0, 1.0)) return "burstiness gamma must lie between 0 and 1";
    // The independent model keeps the bit error rate of the menu as it is.
    if (model == errormodel_gilbert && !within(doc.ber, 0.0, 0.5))
        return "bit error rate must lie between 0 and 0.5";
    if (model == errormodel_erasure && !within(doc.fer, 0.0, 0.5))
        return "frame erasure rate must lie between 0 and 0.5";
    if (model == errormodel_pattern && doc.patternpath.empty())
        return "the pattern error model needs a pattern file";
    return "";
}

std::string errorchannel::prepare(const CTonvexDoc& doc) {
    bitchannel = {};
    framechannel = {};
    pattern.reset();
    patternat = 0;
    std::string problem = errormodelproblem(doc);
    if (problem.empty() && doc.errormodel == errormodel_pattern)
        pattern = readpattern(doc.patternpath, problem);
    return problem;
}

bool errorchannel::nextmark() {
    const bool mark = pattern->marks[patternat] != 0;
    patternat = patternat + 1 < pattern->marks.size() ? patternat + 1 : 0; // the pattern repeats
    return mark;
}

namespace {

// The 16 bits of a word in the order they travel, bit 15 first: set where hit() says so.
template <typename decision> uint16_t wordflips(decision hit) {
    uint16_t flips = 0;
    for (int b = 15; b >= 0; b--)
        if (hit()) flips = static_cast<uint16_t>(flips | (1u << b));
    return flips;
}

} // namespace

uint16_t errorchannel::gilbertflips(double ber, double gamma) {
    return wordflips([&] { return bitchannel.pass(ber, gamma); });
}

uint16_t errorchannel::patternflips() {
    return wordflips([this] { return nextmark(); });
}

bool errorchannel::erasesframe(int32_t model, double fer, double gamma) {
    if (model == errormodel_erasure) return framechannel.pass(fer, gamma);
    return framepattern() && nextmark();
}
