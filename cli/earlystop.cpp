#include "cli/earlystop.h"

#include <algorithm>
#include <cstdio>

#include "app/CTonvexDoc.h"

namespace {
const std::string cutshort = "incomplete input file frame read";
const std::string toolarge = "output file too large for WAV format";
} // namespace

const std::vector<std::string>& earlystopmessages() {
    static const std::vector<std::string> messages{cutshort, toolarge};
    return messages;
}

bool stoppedearly(const std::vector<std::string>& messages, int64_t frameswritten) {
    const std::vector<std::string>& early = earlystopmessages();
    return frameswritten > 0 && !messages.empty() &&
           std::all_of(messages.begin(), messages.end(), [&](const std::string& m) {
               return std::find(early.begin(), early.end(), m) != early.end();
           });
}

std::string earlystopwarning(const CTonvexDoc& doc, const std::string& message, const std::string& output,
                             int64_t frames, double seconds) {
    const std::string name = output == "-" ? "standard output" : output;
    char text[512];
    if (message == toolarge) {
        std::snprintf(text, sizeof text,
                      "warning: %s: %s holds the first %lld frames (%.1f s); -o NAME.rf64 or NAME.w64 "
                      "(or --format rf64|w64) writes the whole decode",
                      message.c_str(), name.c_str(), static_cast<long long>(frames), seconds);
    } else {
        std::snprintf(text, sizeof text,
                      "warning: %s: frame %lld at byte %lld is cut short; %s keeps the %lld frames before it "
                      "(%.1f s)",
                      message.c_str(), static_cast<long long>(doc.stats.frameshandled),
                      static_cast<long long>(doc.stats.frameoffset), name.c_str(),
                      static_cast<long long>(frames), seconds);
    }
    return text;
}
