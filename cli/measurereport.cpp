#include "cli/measurereport.h"

#include <cmath>
#include <cstdio>

std::string formatdb(double value) {
    if (std::isnan(value)) return "-";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

nlohmann::ordered_json measuresjson(const qualitymeasures& m) {
    auto number = [](double v) { return std::isfinite(v) ? nlohmann::ordered_json(v) : nullptr; };
    return {{"snr_db", number(m.snr)},
            {"segsnr_db", number(m.segsnr)},
            {"fwsnrseg_db", number(m.fwsnrseg)},
            {"lsd_db", number(m.lsd)},
            {"peak", m.peak},
            {"identical", number(m.identical)},
            {"frames", m.frames},
            {"silent_frames", m.silentframes}};
}
