// Decode and scale started from the menu, on the bundled sample, in the background, and the
// analysis dock they fill.

#include "app/framewindow.h"
#include "app/gui/analysisdock.h"
#include "app/gui/analysisview.h"
#include "guitest.h"

namespace {
std::vector<std::pair<int64_t, int>> framesandkinds(const std::vector<driveevent>& events) {
    std::vector<std::pair<int64_t, int>> out;
    for (const driveevent& event : events) out.emplace_back(event.frame, static_cast<int>(event.kind));
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

class OperationsTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        opensample();
        doc().random.seed(1);
    }
    void run(int id) {
        frame().menuitem(id)->trigger();
        waitforoperation(frame());
    }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files); }
};
} // namespace

TEST_F(OperationsTest, DecodeShowsTheEngineEventsAndAFailedRunClearsTheRowsAndLeavesNoOutput) {
    answer(frame(), decodeber, "1e-3");
    run(decodedecode);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front();
    EXPECT_GT(QFileInfo(folder.filePath("song.wav")).size(), 44);
    EXPECT_GT(doc().inforows[2].value, 0.0);
    // The analysis dock shows the events of the same decode outside the window, as the command
    // line's --events reports them.
    CTonvexDoc reference;
    reference.ber = 1e-3;
    reference.bitstreampath = folder.filePath("song.ztb").toStdString();
    reference.wavpath = folder.filePath("reference.wav").toStdString();
    std::vector<driveevent> expected;
    reference.hooks.event = [&expected](const driveevent& event) { expected.push_back(event); };
    blankwindow stub;
    reference.window = &stub;
    reference.decodeZAT();
    ASSERT_FALSE(expected.empty());
    const analysisview& view = frame().analysispane()->view();
    EXPECT_TRUE(frame().analysispane()->isVisible());
    EXPECT_EQ(framesandkinds(view.events()), framesandkinds(expected));
    EXPECT_EQ(view.waveform().frames(), reference.stats.frameshandled * 1024);
    QFile::remove(reference.wavpath.c_str());
    const struct {
        int id;
        const char *name, *message;
    } failures[] = {{fileoutput, "missing/take", "cannot create output file"},
                    {filebitstream, "nothing", "cannot find bitstream file"}};
    for (const auto& failure : failures) {
        messages.shown.clear();
        answer(frame(), failure.id, failure.name);
        run(decodedecode);
        EXPECT_EQ(messages.shown, std::vector<std::string>{failure.message});
        EXPECT_EQ(doc().statustext, "");
        for (const inforow& row : doc().inforows) EXPECT_EQ(row.kind, 4);
        EXPECT_EQ(files(), (QStringList{"song.wav", "song.ztb"}));
    }
    // The scaler cuts frames only in the "output bitrate: scaled" mode.
    answer(frame(), filebitstream, "song");
    frame().menuitem(quantiserqscale)->trigger();
    answer(frame(), decodebitrate, "32");
    run(decodescale);
    EXPECT_GT(QFileInfo(folder.filePath("song_s.ztb")).size(), 0);
    EXPECT_GT(doc().inforows[2].value, 0.0);
    EXPECT_LE(doc().inforows[2].value, 32.0 + 1.0);
}

TEST_F(OperationsTest, WindowStaysLiveAndCancelLeavesNoOutput) {
    // A long stream: the sample again and again (each copy's first frame is a resync).
    QFile stream(folder.filePath("song.ztb"));
    ASSERT_TRUE(stream.open(QIODevice::ReadWrite));
    const QByteArray once = stream.readAll();
    for (int copy = 0; copy < 60; ++copy) stream.write(once);
    stream.close();
    const std::function<void()> cancels[] = {
        [this] { QTest::keyClick(&frame(), Qt::Key_Escape); },
        [this] { frame().findChild<QPushButton*>()->click(); },
    };
    for (const auto& cancel : cancels) {
        QFile earlier(folder.filePath("song.wav"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("an earlier output") > 0);
        earlier.close();
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        frame().menuitem(decodedecode)->trigger();
        ASSERT_TRUE(frame().isrunning());
        cancel();
        waitforoperation(frame());
        EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
        EXPECT_EQ(doc().statustext, "decoding cancelled");
        // The earlier output is untouched and nothing else is left beside it.
        EXPECT_EQ(files(), (QStringList{"song.wav", "song.ztb"}));
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), "an earlier output");
    }
}
