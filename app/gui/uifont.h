#pragma once
// Fonts and dialog units of the window. The panel and the dialogs ask for "MS Sans Serif";
// where the platform has no such font, its sans-serif font stands in.
#include <QFont>
#include <QRect>

QFont uifont(int points);

// A rectangle given in dialog units converted to pixels for a dialog in that font: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height, as dialog templates measure them.
QRect dialogunits(const QFont& font, int x, int y, int width, int height);
