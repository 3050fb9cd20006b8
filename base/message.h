#pragma once
// The message box of the window framework, as the codec and the drivers see it: every
// failure text goes through showmessage, and a front end decides how it reaches the user
// (a modal box in the window, standard error on the command line, a recorder in tests).
#include <functional>
#include <string>

using messagehandler = std::function<void(const std::string&)>;

// Shows one message with an OK button; returns when the user has acknowledged it.
void showmessage(const std::string& text);

// Installs a handler and returns the previous one. An empty handler restores the
// default, which writes the text and a newline to standard error.
messagehandler setmessagehandler(messagehandler handler);
