#pragma once
// While it exists, the window takes no input: mouse, keyboard, wheel, touch and shortcut
// events meant for it are dropped, and its close box does nothing. Paint and window-system
// events still pass, so the window keeps drawing itself. Dialogs and message boxes opened
// meanwhile (other top-level windows) still take input.
#include <QObject>

class QWidget;

class inputblocker : public QObject {
  public:
    explicit inputblocker(QWidget* window);
    ~inputblocker() override;

  protected:
    bool eventFilter(QObject* target, QEvent* event) override;

  private:
    QWidget* window;
};
