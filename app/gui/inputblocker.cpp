#include "app/gui/inputblocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {
bool isinput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

bool belongsto(QObject* target, QWidget* window) {
    if (auto* widget = qobject_cast<QWidget*>(target)) return widget->window() == window;
    return target == window->windowHandle();
}
} // namespace

inputblocker::inputblocker(QWidget* window) : window(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

inputblocker::~inputblocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool inputblocker::eventFilter(QObject* target, QEvent* event) {
    // Shortcuts reach their actions, not a widget: while the window is blocked none fires.
    if (event->type() == QEvent::Shortcut) return true;
    if (isinput(event->type()) && belongsto(target, window)) {
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }
    return QObject::eventFilter(target, event);
}
