#include "cli/progressbar.h"

#include <algorithm>

namespace {
constexpr int barwidth = 40;
}

std::string progressline(int percent, int width) {
    percent = std::clamp(percent, 0, 100);
    const int filled = width * percent / 100;
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '.');
    char figure[8];
    std::snprintf(figure, sizeof figure, "] %3d%%", percent);
    return line + figure;
}

void progressbar::draw(int percent) {
    if (!enabled) return;
    std::fprintf(out, "\r%s", progressline(percent, barwidth).c_str());
    std::fflush(out);
    shown = true;
}

void progressbar::clear() {
    if (!shown) return;
    // Overwrite with blanks rather than an erase sequence, which not every terminal knows.
    std::fprintf(out, "\r%*s\r", barwidth + 7, "");
    std::fflush(out);
    shown = false;
}
