#pragma once
// The message box of the front ends: the document hands it to the engine as the message
// sink of its operations, and the window, the command line and the tests each decide how
// it reaches the user (a modal box, standard error, a recorder).
#include <functional>
#include <string>

using messagehandler = std::function<void(const std::string&)>;

// Shows one message with an OK button; returns when the user has acknowledged it.
void showmessage(const std::string& text);

// Installs a handler and returns the previous one. An empty handler restores the
// default, which writes the text and a newline to standard error.
messagehandler setmessagehandler(messagehandler handler);
