// The window beyond the described panel: keyboard access to every menu, pixel density,
// the smallest size and text cut short in its slot.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/CTonvexDoc.h"
#include "app/gui/CMainFrame.h"
#include "app/gui/CTonvexApp.h"
#include "app/gui/CTonvexView.h"
#include "guitest.h"

namespace {
// The colour at a point given in logical pixels, on an image of any pixel density.
QColor pixel(const QImage& image, int x, int y) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
}
bool isblack(const QColor& colour) {
    return colour == QColor(0, 0, 0);
}

class WindowTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app.InitInstance()); }
    CMainFrame& frame() { return *app.mainframe(); }
    CTonvexView& view() { return *frame().GetActiveView(); }
    // A key where the user's key goes: the open menu, else the focused widget.
    void press(Qt::Key key) {
        QWidget* target = QApplication::activePopupWidget();
        if (!target) target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &frame(), key);
    }
    static QString openmenu() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu ? menu->title().remove('&') : QString();
    }

    messageboxrecorder messages;
    CTonvexApp app;
};
} // namespace

TEST_F(WindowTest, AltLettersAndArrowsReachEveryMenu) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        const char* opens;
        const char* right;
        const char* left;
    } cases[] = {{Qt::Key_D, Qt::AltModifier, "Decode", "Help", "File"},
                 {Qt::Key_F, Qt::AltModifier, "File", "Decode", "Help"},
                 {Qt::Key_H, Qt::AltModifier, "Help", "File", "Decode"},
                 {Qt::Key_F10, Qt::NoModifier, "File", "Decode", "Help"}};
    for (const auto& c : cases) {
        // The offscreen platform gives activation back to no window when a popup closes.
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        QTest::keyClick(&frame(), c.key, c.modifier);
        EXPECT_EQ(openmenu(), c.opens) << c.opens;
        press(Qt::Key_Right);
        EXPECT_EQ(openmenu(), c.right);
        press(Qt::Key_Left);
        press(Qt::Key_Left);
        EXPECT_EQ(openmenu(), c.left);
        press(Qt::Key_Escape);
        press(Qt::Key_Escape);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
}

TEST_F(WindowTest, OneMenuBarWithHelpAtItsRightEnd) {
    QMenuBar* bar = frame().menuBar();
    EXPECT_EQ(frame().findChildren<QMenuBar*>().size(), 1);
    QAction* help = bar->actions().back();
    ASSERT_NE(help->menu(), nullptr);
    EXPECT_EQ(help->menu()->title(), "&Help");
    EXPECT_GE(bar->actionGeometry(help).right(), bar->width() - 12);
    EXPECT_LT(bar->actionGeometry(bar->actions().front()).left(), 12);
}

TEST_F(WindowTest, PanelDrawnAtTheScreensPixelDensity) {
    const qreal ratio = view().devicePixelRatio();
    EXPECT_EQ(view().canvas().devicePixelRatio(), ratio);
    EXPECT_EQ(view().canvas().size(), view().size() * ratio);
    // Lines are one screen pixel thick at every density.
    const int line = static_cast<int>(view().slotline(1) * ratio);
    const int x = static_cast<int>(view().width() / 2 * ratio);
    EXPECT_TRUE(isblack(view().canvas().pixelColor(x, line)));
    EXPECT_FALSE(isblack(view().canvas().pixelColor(x, line + 1)));
    EXPECT_FALSE(isblack(view().canvas().pixelColor(x, line - 1)));
}

TEST_F(WindowTest, SmallestWindowFitsTheStatusLineAndLongTextIsCutShort) {
    frame().resize(40, 40);
    QApplication::processEvents();
    EXPECT_GE(view().width(), view().minimumSizeHint().width());
    EXPECT_GE(view().height(), view().minimumSizeHint().height());
    CTonvexDoc& doc = *app.document();
    doc.statustext = std::string(400, 'W');
    doc.inforows[1] = {0, std::string(400, 'W'), 1.0, "kbit/s"};
    frame().windownull();
    // Nothing dark between the text's end and the right border, in any slot.
    const int column = view().width() - 6;
    for (int j = 0; j < 6; ++j)
        for (int y = view().slotline(j) + 1; y < view().slotline(j + 1); ++y)
            EXPECT_FALSE(isblack(pixel(view().canvas(), column, y))) << y;
}
