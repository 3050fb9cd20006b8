#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/decoder/zatdec.h"

namespace {

class Overlap : public ::testing::Test {
  protected:
    void allocate(int shortlen) {
        ASSERT_EQ(dec.arrayalloc_zatdec(1024, shortlen, 1024 / shortlen, 512 + shortlen / 2, 32, 32), 0);
        dec.setsamplerate(shortlen == 64 ? 5 : 6);
        dec.outbuf = out.data();
    }

    void randomspectrum() {
        std::uniform_real_distribution<double> value(-0.01, 0.01);
        dec.reset_spectrum();
        for (auto& row : dec.mdctbuf)
            for (double& v : row) v = value(source);
    }

    void run(int lastblockmode, int blockmode) {
        dec.lastblockmode = static_cast<int16_t>(lastblockmode);
        dec.blockmode = static_cast<int16_t>(blockmode);
        dec.synthesis();
    }

    zatdec dec;
    std::vector<double> out = std::vector<double>(1024, 5.0);
    std::mt19937 source{3};
};

} // namespace

// Rows: the previous mode; columns: the frame's mode. Long frames are written only after
// a long frame that expected one, after a SHORT_LONG frame or after a concealed frame.
TEST_F(Overlap, TransitionTableDecidesWhetherAFrameIsWritten) {
    allocate(128);
    for (int last : {0, 1, 2, 3, 4, 5, 6}) {
        for (int mode : {0, 1, 2, 3, 5, 6}) {
            randomspectrum();
            dec.delaybuf.assign(2048, 0.001);
            out.assign(1024, 5.0);
            run(last, mode);
            const bool written = out != std::vector<double>(1024, 5.0);
            const bool expected =
                isshortmode(mode) || last == ALL_LONG || last == SHORT_LONG || last == 5 || last == 6;
            EXPECT_EQ(written, expected) << "last " << last << " mode " << mode;
            if (!expected) {
                EXPECT_EQ(dec.delaybuf, std::vector<double>(2048, 0.001));
            }
        }
    }
}

TEST_F(Overlap, FirstLongFrameAfterShortInitialModeWritesNothing) {
    allocate(128);
    randomspectrum();
    run(ALL_SHORT, ALL_LONG);
    EXPECT_EQ(out, std::vector<double>(1024, 5.0));
    EXPECT_EQ(dec.delaybuf, std::vector<double>(2048, 0.0));
}

TEST_F(Overlap, ZeroLongFrameEmitsTheWindowedTail) {
    allocate(128);
    for (int i = 0; i < 1024; i++) dec.delaybuf[i] = 0.001 * (i % 17);
    const std::vector<double> tail = dec.delaybuf;
    dec.reset_spectrum();
    run(ALL_LONG, ALL_LONG);
    for (int i = 0; i < 1024; i++) ASSERT_EQ(out[i], (tail[i] * dec.longwindow[1024 + i] + 0.0) * 1024);
    for (int i = 0; i < 1024; i++) ASSERT_EQ(dec.delaybuf[i], 0.0);
}

TEST_F(Overlap, LostFrameWithNothingToRepeatWritesNothing) {
    allocate(128);
    randomspectrum();
    dec.delaybuf.assign(2048, 0.5);
    run(LOST_FRAME, LOST_FRAME);
    EXPECT_EQ(out, std::vector<double>(1024, 5.0));
    EXPECT_EQ(dec.delaybuf, std::vector<double>(2048, 0.5));
}

// After a short frame only the tails of the last blocks remain, below Q; the stale
// upper half of the delay buffer never reaches the output.
TEST_F(Overlap, ShortFrameLeavesOnlyTailsAndIgnoresStaleScratch) {
    for (int shortlen : {128, 64}) {
        allocate(shortlen);
        const int q = ((dec.nblock + 1) * shortlen) / 2;
        randomspectrum();
        const auto spectrum = dec.mdctbuf;
        run(ALL_SHORT, ALL_SHORT);
        const std::vector<double> clean = out;
        const std::vector<double> state(dec.delaybuf.begin(), dec.delaybuf.begin() + 1024);
        for (int i = q; i < 1024; i++) ASSERT_EQ(dec.delaybuf[i], 0.0) << "i " << i;

        dec.mdctbuf = spectrum;
        dec.delaybuf.assign(2048, 0.0);
        for (int i = 1024; i < 2048; i++) dec.delaybuf[i] = 9.0;
        run(ALL_SHORT, ALL_SHORT);
        EXPECT_EQ(out, clean) << "shortlen " << shortlen;
        EXPECT_EQ(std::vector<double>(dec.delaybuf.begin(), dec.delaybuf.begin() + 1024), state);
    }
}

TEST_F(Overlap, SixteenShortBlocksUseTheirOffsets) {
    allocate(64);
    dec.reset_spectrum();
    dec.mdctbuf[15][10] = 1.0; // only the last block sounds
    for (int i = 1024; i < 2048; i++) dec.delaybuf[i] = 9.0;
    run(ALL_SHORT, ALL_SHORT);
    // The last block adds at P + 15*64 = 1440 and stores 1504..1567; from 1568 on the
    // upper half is cleared.
    for (int i = 1024; i < 1440; i++) ASSERT_EQ(dec.delaybuf[i], 0.0) << "i " << i;
    EXPECT_NE(dec.delaybuf[1567], 0.0);
    for (int i = 1568; i < 2048; i++) ASSERT_EQ(dec.delaybuf[i], 0.0) << "i " << i;
    // Shifted down by a frame: the tail lies at 480..543 (P..Q-1), the rest of D is zero.
    EXPECT_NE(dec.delaybuf[480], 0.0);
    EXPECT_NE(dec.delaybuf[543], 0.0);
    for (int i = 544; i < 1024; i++) ASSERT_EQ(dec.delaybuf[i], 0.0);
    for (int i = 0; i < 480 - 64; i++) ASSERT_EQ(dec.delaybuf[i], 0.0);
}

TEST_F(Overlap, StartCorrectionShapesTheLongTail) {
    allocate(128);
    const int p = 448, q = 576;
    dec.delaybuf.assign(2048, 0.0);
    for (int i = 0; i < 1024; i++) dec.delaybuf[i] = 0.001;
    dec.reset_spectrum(); // silent short blocks: the output is the corrected tail alone
    run(LONG_SHORT, ALL_SHORT);
    for (int i = 0; i < p; i++) ASSERT_EQ(out[i], 1024 * 0.001);
    for (int i = 0; i < 128; i++) ASSERT_EQ(out[p + i], (1024 * dec.shortwindow[128 + i]) * 0.001 + 0.0);
    for (int i = q; i < 1024; i++) ASSERT_EQ(out[i], 0.0);
}
