#include "app/CTonvexDoc.h"

#include <filesystem>

#include "app/framewindow.h"

CTonvexDoc::CTonvexDoc() {
    basename = "test";
    directory = "wav";
    bitstreamname = basename + ".ztb";
    wavname = basename + ".wav";
    scaledname = basename + "_s.ztb";
    updatepaths();
    inforows[0] = {4, "", 0.0, ""};
    inforows[1] = {0, "input bitstream", 0.0, "kbit/s"};
    inforows[2] = {0, "decoded bitrate", 0.0, "kbit/s"};
    inforows[3] = {4, "", 0.0, ""};
    inforows[4] = {1, "bit error rate", 0.0, ""};
}

void CTonvexDoc::decodeZAT() {
    run(&streamjob::decodeZAT);
}

void CTonvexDoc::scaleZAT() {
    run(&streamjob::scaleZAT);
}

void CTonvexDoc::run(void (streamjob::*operation)()) {
    stats = {};
    if (!window) {
        showmessage("pointer error: decodeZAT");
        return;
    }
    hooks.progress = [this](int32_t percent) { window->windowinitL(percent); };
    hooks.status = [this](const std::string& text) {
        statustext = text;
        window->windowinitL(0);
    };
    hooks.finished = [this](const runsummary& summary) {
        takesummary(summary);
        window->windowinitL(0);
        window->windowinfoL();
    };
    (this->*operation)();
}

void CTonvexDoc::takesummary(const runsummary& summary) {
    statustext = summary.statustext;
    for (int row = 0; row < 5; row++) inforows[row] = summary.rows[row];
}

void CTonvexDoc::updatepaths() {
    bitstreampath = joinpath(directory, bitstreamname);
    scaledpath = joinpath(directory, scaledname);
    wavpath = joinpath(directory, wavname);
}

std::string joinpath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (directory.back() == separator || directory.back() == '/') return directory + name;
    return directory + separator + name;
}
