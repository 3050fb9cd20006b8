#include "app/gui/menubarstyle.h"

int menubarstyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* answer) const {
    if (hint == SH_DrawMenuBarSeparator || hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, answer);
}
