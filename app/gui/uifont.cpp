#include "app/gui/uifont.h"

#include <QFontMetrics>

QFont uifont(int points) {
    QFont font("MS Sans Serif", points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QRect dialogunits(const QFont& font, int x, int y, int width, int height) {
    const QFontMetrics metrics(font);
    const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int basex = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    const int basey = metrics.height();
    const auto horizontal = [basex](int units) { return units * basex / 4; };
    const auto vertical = [basey](int units) { return units * basey / 8; };
    return {horizontal(x), vertical(y), horizontal(width), vertical(height)};
}
