#include "engine/runreport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"

int32_t ratehz(double fs_khz) {
    const double hz = std::floor(fs_khz * 1000.0 + 0.5);
    if (!(hz >= 0.0 && hz <= 2147483647.0)) return 0;
    return static_cast<int32_t>(hz);
}

int32_t progresspercent(int64_t handled, int64_t total) {
    if (total <= 0) return 0;
    return static_cast<int32_t>(std::clamp<int64_t>(handled, 0, total) * 100 / total);
}

double realtimeratio(int32_t rate, double elapsed, int64_t samples) {
    if (samples <= 0) return 0.0;
    return rate * elapsed / static_cast<double>(samples);
}

std::string completiontext(const std::string& prefix, double elapsed, double ratio) {
    if (!(elapsed > 0.005)) return prefix;
    char text[64];
    std::snprintf(text, sizeof text, " in %.2lf times real time", ratio);
    return prefix + text;
}

double bitratefigure(int64_t words, double fs_khz, int32_t framelen, int64_t frames) {
    if (frames <= 0 || framelen <= 0) return 0.0;
    return static_cast<double>(words * 16) * fs_khz /
           (static_cast<double>(framelen) * static_cast<double>(frames));
}

void postrun(CTonvexDoc& doc, framewindow& window, const std::string& prefix, const std::string& outlabel,
             const runfigures& figures) {
    const int64_t samples = figures.frames * doc.framelen;
    doc.statustext =
        completiontext(prefix, figures.elapsed, realtimeratio(figures.rate, figures.elapsed, samples));
    window.windowinitL(0);
    doc.inforows[0].kind = 4;
    doc.inforows[1] = {0, "input bitstream",
                       bitratefigure(figures.inwords, doc.fs_khz, doc.framelen, figures.frames), "kbit/s"};
    doc.inforows[2] = {0, outlabel, bitratefigure(figures.outwords, doc.fs_khz, doc.framelen, figures.frames),
                       "kbit/s"};
    doc.inforows[3].kind = 4;
    doc.inforows[4] = {1, "bit error rate", figures.biterrorrate, ""};
    window.windowinfoL();
}
