// Start-up captions and the menu commands that change settings.

#include "guitest.h"

using MenuTest = GuiTest;

TEST_F(MenuTest, CaptionsFollowTheSettingsAndCheckedClampedDialogValues) {
    // Each step: the command (answered with typed, or just triggered) and the caption then shown.
    const struct {
        int id;
        const char* typed;
        const char* caption;
    } steps[] = {
        {filebitstream, nullptr, "input bitstream:  test.ztb"},
        {fileoutput, nullptr, "output wav:  test.wav"},
        {fileoutputbitstream, nullptr, "output bitstream:  test_s.ztb"},
        {filedirectory, nullptr, "directory:  wav"},
        {decodebitrate, nullptr, "scaled bitrate 80 kbit/s"},
        {decodeber, nullptr, "bit error rate 0.0e+00 "},
        {decodeber, "0.5", "bit error rate 2.0e-03 "},
        {decodeber, "1e-4", "bit error rate 1.0e-04 "},
        {decodeber, "-1", "bit error rate 0.0e+00 "},
        {decodebitrate, "-5", "scaled bitrate 0 kbit/s"},
        {decodebitrate, "64.4", "scaled bitrate 64 kbit/s"},
        {filebitstream, "song", "input bitstream:  song.ztb"},
        {fileoutput, nullptr, "output wav:  song.wav"},
        {fileoutputbitstream, nullptr, "output bitstream:  song_s.ztb"},
    };
    EXPECT_EQ(caption(frame(), quantiserqscale), "output bitrate: encoded");
    for (const auto& step : steps) {
        if (step.typed) answer(frame(), step.id, step.typed);
        EXPECT_EQ(caption(frame(), step.id), step.caption);
    }
    EXPECT_EQ(doc().scaledbitrate, 64.4);
    for (const char* shown : {"output bitrate: scaled", "output bitrate: encoded"}) {
        frame().menuitem(quantiserqscale)->trigger();
        EXPECT_EQ(caption(frame(), quantiserqscale), shown);
    }
    EXPECT_TRUE(messages.shown.empty());
    // The number field refuses what is no finite number and stays open.
    for (const char* refused : {"inf", "nan", "-inf", "abc", "", "1e999", "12kbit", "0x10"}) {
        messages.shown.clear();
        bool stayedopen = false;
        whendialogopens([&stayedopen, refused](QDialog& dialog) {
            typeandenter(dialog, refused);
            stayedopen = dialog.isVisible();
            typeandenter(dialog, "96");
        });
        frame().OnDecodeBitrate();
        EXPECT_TRUE(stayedopen) << refused;
        EXPECT_EQ(messages.shown, std::vector<std::string>{"Please enter a number."}) << refused;
        EXPECT_EQ(doc().scaledbitrate, 96.0) << refused;
    }
}
