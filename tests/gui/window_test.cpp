// Keyboard access to every menu, also at twice the pixel density.

#include "guitest.h"

using WindowTest = GuiTest;

TEST_F(WindowTest, AltLettersAndArrowsReachEveryMenuOfTheOneMenuBar) {
    EXPECT_EQ(frame().findChildren<QMenuBar*>().size(), 1);
    // A key where the user's key goes (the open menu, else the focused widget); the menu then open.
    const auto openmenu = [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu ? menu->title().remove('&') : QString();
    };
    const auto press = [this, &openmenu](Qt::Key key) {
        QWidget* target = QApplication::activePopupWidget();
        if (!target) target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &frame(), key);
        return openmenu();
    };
    const struct {
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        const char *opens, *right, *left;
    } cases[] = {{Qt::Key_D, Qt::AltModifier, "Decode", "Help", "File"},
                 {Qt::Key_F, Qt::AltModifier, "File", "Decode", "Help"},
                 {Qt::Key_H, Qt::AltModifier, "Help", "File", "Decode"},
                 {Qt::Key_F10, Qt::NoModifier, "File", "Decode", "Help"}};
    for (const auto& c : cases) {
        // The offscreen platform gives activation back to no window when a popup closes.
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        QTest::keyClick(&frame(), c.key, c.modifier);
        EXPECT_EQ(openmenu(), c.opens);
        EXPECT_EQ(press(Qt::Key_Right), c.right);
        press(Qt::Key_Left);
        EXPECT_EQ(press(Qt::Key_Left), c.left);
        press(Qt::Key_Escape);
        EXPECT_EQ(press(Qt::Key_Escape), "");
    }
}
