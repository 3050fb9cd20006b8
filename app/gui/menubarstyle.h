#pragma once
// The menu bar's look on every platform style: a separator pushes the menus after it to
// the right end of the bar (where "Help" belongs), and Alt pressed and released alone
// selects the first menu, from which the arrow keys reach the others.
#include <QProxyStyle>

class menubarstyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* answer = nullptr) const override;
};
