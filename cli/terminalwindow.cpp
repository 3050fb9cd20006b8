#include "cli/terminalwindow.h"

#include <cstdio>
#include <utility>

#include "app/CTonvexDoc.h"
#include "app/inforowformat.h"

namespace {
// Decimals of the result rows, as the panel shows them.
constexpr int rowprecision = 1;
} // namespace

terminalwindow::terminalwindow(CTonvexDoc& doc, bool progress, bool results)
    : doc(doc), bar(stderr, progress), results(results), previous(std::exchange(doc.window, this)) {}

terminalwindow::~terminalwindow() {
    bar.clear();
    doc.window = previous;
}

void terminalwindow::windowinitL(int32_t progress) {
    if (progress >= 1) {
        bar.draw(progress);
        return;
    }
    // Progress 0 shows the status slot: the bar goes, the status line (if any) comes.
    bar.clear();
    if (results && !doc.statustext.empty()) std::printf("%s\n", doc.statustext.c_str());
}

void terminalwindow::windowinfoL() {
    bar.clear();
    if (!results) return;
    // Blank rows (kind 4) leave their panel slot empty; here they take no line at all.
    for (const inforow& row : doc.inforows)
        if (row.kind >= 0 && row.kind <= 3)
            std::printf("%s\n",
                        formatinforow(row.kind, row.label, row.value, row.unit, rowprecision).c_str());
    std::fflush(stdout);
}
