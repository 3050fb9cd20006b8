// The analysis view: the waveform's extremes, the events of a decode with bit errors at
// their frames, zooming and scrolling, and what hovering shows.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/analysisdock.h"
#include "app/gui/analysisview.h"
#include "app/gui/menucommands.h"
#include "engine/io/wavheader.h"
#include "guitest.h"

using namespace menucommand;

namespace {
// A framewindow that draws nothing, for a decode outside the window.
class nowindow : public framewindow {
    void windowinitL(int32_t) override {}
    void windowinfoL() override {}
};

std::vector<std::pair<int64_t, int>> framesandkinds(const std::vector<driveevent>& events) {
    std::vector<std::pair<int64_t, int>> out;
    for (const driveevent& event : events) out.emplace_back(event.frame, static_cast<int>(event.kind));
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}
} // namespace

TEST(WaveformSummary, ExtremesOfEverySpanMatchAScanOfItsSamples) {
    QTemporaryDir folder;
    const QString path = folder.filePath("noise.wav");
    constexpr int64_t frames = 70000;
    std::vector<int16_t> samples(2 * frames);
    std::mt19937 noise(7);
    for (int16_t& sample : samples) sample = static_cast<int16_t>(static_cast<int>(noise() % 60001) - 30000);
    std::FILE* file = std::fopen(path.toStdString().c_str(), "wb");
    ASSERT_EQ(writewavheader(file, 2, frames, 48000, 16), 0);
    ASSERT_EQ(std::fwrite(samples.data(), 2, samples.size(), file), samples.size()); // little-endian host
    std::fclose(file);

    waveformsummary wave;
    ASSERT_TRUE(wave.open(path));
    EXPECT_EQ(wave.frames(), frames);
    EXPECT_EQ(wave.rate(), 48000);
    const std::pair<int64_t, int64_t> spans[] = {{0, 1},       {0, 256},       {1, 257},    {255, 16385},
                                                 {100, 69999}, {16384, 32768}, {0, frames}, {69990, 90000},
                                                 {-50, 3},     {33000, 33001}};
    for (const auto& [first, last] : spans) {
        int16_t low = INT16_MAX, high = INT16_MIN;
        for (int64_t i = 2 * std::max<int64_t>(first, 0); i < 2 * std::min(last, frames); ++i) {
            low = std::min(low, samples[static_cast<size_t>(i)]);
            high = std::max(high, samples[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(wave.range(first, last), std::make_pair(low, high)) << first << ".." << last;
    }
    EXPECT_EQ(wave.range(5, 5), std::make_pair(int16_t{0}, int16_t{0}));
    EXPECT_FALSE(wave.open(folder.filePath("missing.wav")));
    EXPECT_EQ(wave.frames(), 0);
}

TEST(AnalysisView, ZoomScrollAndHoverStayWithinTheRun) {
    analysisview view;
    view.resize(700, 300);
    const std::vector<driveevent> events = {{driveevent::resync, 10, 3, 40},
                                            {driveevent::damagedheader, 10},
                                            {driveevent::concealedframe, 150, 0, 0, 1}};
    view.showrun(200, 48.0, 1024, events, {});
    const double frame = 1024 / 48000.0;
    EXPECT_DOUBLE_EQ(view.duration(), 200 * frame);
    EXPECT_EQ(view.viewspan(), view.duration());

    const int anchor = view.columnof(60 * frame);
    view.zoom(0.5, anchor);
    EXPECT_DOUBLE_EQ(view.viewspan(), view.duration() / 2);
    EXPECT_NEAR(view.columnof(60 * frame), anchor, 1);
    view.setviewstart(-5.0);
    EXPECT_EQ(view.viewstart(), 0.0);
    view.setviewstart(1e9);
    EXPECT_DOUBLE_EQ(view.viewstart(), view.duration() - view.viewspan());
    view.zoom(1e-9, anchor);
    EXPECT_DOUBLE_EQ(view.viewspan(), frame / 16);
    view.zoom(1e9, anchor);
    EXPECT_DOUBLE_EQ(view.viewspan(), view.duration());

    const int at10 = view.columnof(10.5 * frame);
    const int wave = view.height() - 20;
    const struct {
        QPoint point;
        const char* text;
    } hovers[] = {
        {{at10, view.lanerows(driveevent::damagedheader).first + 3}, "frame 10 at 0.213 s\ndamaged header"},
        {{at10, view.lanerows(driveevent::resync).first + 3},
         "frame 10 at 0.213 s\nresync, 40 words skipped"},
        {{at10, wave}, "frame 10 at 0.213 s\nresync, 40 words skipped\ndamaged header"},
        {{view.columnof(150.5 * frame), wave}, "frame 150 at 3.200 s\nconcealed frame, channel 1"},
        {{view.columnof(60.5 * frame), wave}, "frame 60 at 1.280 s"},
        {{2, wave}, ""},
    };
    for (const auto& hover : hovers) EXPECT_EQ(view.describe(hover.point), hover.text) << hover.text;
}

TEST(AnalysisDock, DecodeWithBitErrorsShowsTheEngineEventsAtTheirFrames) {
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(QDir::current().filePath("wav/test.ztb"), folder.filePath("song.ztb")));
    messageboxrecorder messages;
    CTonvexApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame& frame = *app.mainframe();
    answer(frame, filedirectory, folder.path());
    answer(frame, filebitstream, "song");
    answer(frame, decodeber, "1e-3");
    EXPECT_FALSE(frame.analysispane()->isVisible());
    frame.menuitem(decodedecode)->trigger();
    waitforoperation(frame);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front();
    EXPECT_TRUE(frame.analysispane()->isVisible());
    const analysisview& view = frame.analysispane()->view();

    // The same decode outside the window, as the command line's --events reports it.
    CTonvexDoc reference;
    reference.ber = 1e-3;
    reference.bitstreampath = folder.filePath("song.ztb").toStdString();
    reference.wavpath = folder.filePath("reference.wav").toStdString();
    std::vector<driveevent> expected;
    reference.hooks.event = [&expected](const driveevent& event) { expected.push_back(event); };
    nowindow stub;
    framewindow* previous = setmainframewindow(&stub);
    reference.decodeZAT();
    setmainframewindow(previous);

    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(framesandkinds(view.events()), framesandkinds(expected));
    EXPECT_DOUBLE_EQ(view.duration(), reference.stats.frameshandled * 1024 / 48000.0);
    EXPECT_EQ(view.waveform().frames(), reference.stats.frameshandled * 1024);
    frame.analysispane()->toggleViewAction()->trigger();
    EXPECT_FALSE(frame.analysispane()->isVisible());
}
