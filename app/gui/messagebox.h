#pragma once
// The window's message box: a modal warning with an OK button over its parent window.
#include "base/message.h"

class QWidget;

// A sink that shows each text in a message box over parent and returns when the user has
// acknowledged it.
messagesink messageboxsink(QWidget* parent);
