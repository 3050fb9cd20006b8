// The information panel, pixel by pixel, drawn through the frame's wrappers.
#include <QApplication>
#include <QFontInfo>
#include <QMenuBar>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/CTonvexView.h"
#include "app/gui/uifont.h"
#include "guitest.h"

namespace {
const QColor background(210, 210, 205);
const QColor white(255, 255, 255);
const QColor bar(29, 96, 169);

bool isdark(const QColor& colour) {
    return colour.lightness() < 128;
}

class PanelTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        // A client area of 412 x 400 pixels below the menu bar.
        app.mainframe()->resize(412, 400 + app.mainframe()->menuBar()->height());
        QApplication::processEvents();
        ASSERT_EQ(view().size(), QSize(412, 400));
    }
    CTonvexView& view() { return *app.mainframe()->GetActiveView(); }
    CTonvexDoc& doc() { return *app.document(); }
    const QImage& image() { return view().canvas(); }

    // Dark pixels of the slot between two slot lines, inside the border, by row.
    std::vector<int> darkrows(int top, int bottom, int right = 400) {
        std::vector<int> rows;
        for (int y = top + 1; y < bottom; ++y)
            for (int x = 6; x < right; ++x)
                if (isdark(pixel(image(), x, y))) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }

    messagerecorder messages;
    CTonvexApp app;
};
} // namespace

TEST_F(PanelTest, SlotLinesBorderAndBackground) {
    for (int line : {70, 135, 200, 265, 330}) {
        EXPECT_EQ(view().slotline((line - 5) / 65), line);
        EXPECT_TRUE(isblack(pixel(image(), 350, line))) << line;
        EXPECT_EQ(pixel(image(), 350, line - 1), white) << line;
        EXPECT_EQ(pixel(image(), 350, line + 1), white) << line;
    }
    for (int y : {5, 100, 395}) {
        EXPECT_TRUE(isblack(pixel(image(), 5, y))) << y;
        EXPECT_TRUE(isblack(pixel(image(), 407, y))) << y;
    }
    for (int x : {5, 200, 407}) {
        EXPECT_TRUE(isblack(pixel(image(), x, 5))) << x;
        EXPECT_TRUE(isblack(pixel(image(), x, 395))) << x;
    }
    EXPECT_EQ(pixel(image(), 6, 6), white);
    EXPECT_EQ(pixel(image(), 406, 394), white);
    for (QPoint outside :
         {QPoint(0, 0), QPoint(4, 200), QPoint(408, 200), QPoint(411, 399), QPoint(200, 396)})
        EXPECT_EQ(pixel(image(), outside.x(), outside.y()), background) << outside.x() << "," << outside.y();
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(PanelTest, ProgressBarGrowsOnlyAndStartsAtLeftPlusSix) {
    app.mainframe()->windowinitL(50);
    int first = -1, count = 0;
    for (int x = 0; x < 412; ++x)
        if (pixel(image(), x, 30) == bar) {
            if (first < 0) first = x;
            ++count;
        }
    EXPECT_EQ(first, 6);
    EXPECT_EQ(count, 200);
    // The bar spans the slot from T + 6 to just above its lower line.
    EXPECT_EQ(pixel(image(), 100, 6), bar);
    EXPECT_EQ(pixel(image(), 100, 69), bar);
    EXPECT_TRUE(isblack(pixel(image(), 100, 70)));
    EXPECT_TRUE(isblack(pixel(image(), 100, 5)));
    // A smaller percentage draws over the slot without clearing it.
    app.mainframe()->windowinitL(30);
    EXPECT_EQ(pixel(image(), 205, 30), bar);
    EXPECT_EQ(pixel(image(), 206, 30), white);
    app.mainframe()->windowinitL(100);
    EXPECT_EQ(pixel(image(), 405, 30), bar);
    EXPECT_EQ(pixel(image(), 406, 30), white);
}

TEST_F(PanelTest, StatusTextSitsOnItsBottomEdgeAndClearsTheBar) {
    app.mainframe()->windowinitL(80);
    doc().statustext = "decoding completed";
    app.mainframe()->windowinitL(0);
    EXPECT_EQ(pixel(image(), 300, 30), white);
    const int bottom = view().textbottom(0);
    EXPECT_EQ(bottom, 45);
    const std::vector<int> rows = darkrows(5, 70);
    ASSERT_FALSE(rows.empty()) << "no text drawn: no font available";
    EXPECT_LT(rows.back(), bottom);
    EXPECT_GE(rows.front(), bottom - QFontMetrics(uifont(10), &view().canvas()).height());
    int leftmost = 412;
    for (int y = 6; y < 70; ++y)
        for (int x = 6; x < 400; ++x)
            if (isdark(pixel(image(), x, y))) leftmost = std::min(leftmost, x);
    EXPECT_GE(leftmost, 9);
    EXPECT_LE(leftmost, 12);

    doc().statustext = "";
    app.mainframe()->windowinitL(0);
    EXPECT_TRUE(darkrows(5, 70).empty());
}

TEST_F(PanelTest, RowsDrawTheirTextAndBlankKindsStayWhite) {
    doc().inforows[0] = {4, "label of a blank row", 12.0, "kbit/s"};
    doc().inforows[1] = {0, "input bitstream", 80.25, "kbit/s"};
    doc().inforows[2] = {2, "frames", -2.9, ""};
    doc().inforows[3] = {3, "heading", 0.0, ""};
    doc().inforows[4] = {1, "bit error rate", 1e-4, ""};
    app.mainframe()->windowinfoL();
    EXPECT_TRUE(darkrows(70, 135).empty());
    for (int k = 1; k < 5; ++k) {
        const std::vector<int> rows = darkrows(view().slotline(k + 1), view().slotline(k + 2));
        ASSERT_FALSE(rows.empty()) << k;
        EXPECT_LT(rows.back(), view().textbottom(k + 1)) << k;
    }
    // The fills covered the lines; they are drawn again.
    for (int line : {70, 135, 200, 265, 330}) EXPECT_TRUE(isblack(pixel(image(), 350, line))) << line;
    EXPECT_TRUE(isblack(pixel(image(), 5, 100)));
}

TEST_F(PanelTest, PanelTextDrawnInTheSameImageAsWidgetShows) {
    // What the paint event shows is the image: grab the widget and compare.
    doc().statustext = "scaling completed";
    app.mainframe()->windownull();
    const QImage shown = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), image().size());
    EXPECT_EQ(shown, image().convertToFormat(QImage::Format_RGB32));
}

TEST(PanelFont, AsksForMsSansSerifAndFallsBackToSansSerif) {
    const QFont font = uifont(10);
    EXPECT_EQ(font.family(), "MS Sans Serif");
    EXPECT_EQ(font.pointSize(), 10);
    EXPECT_FALSE(QFontInfo(font).family().isEmpty());
}
