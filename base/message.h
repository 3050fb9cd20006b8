#pragma once
// Where the failure texts of the codec and the engine go ("16 bit unpacking limit",
// "cannot find bitstream file"): a value handed to every object of an operation, so that
// the caller decides how a text reaches the user (a modal box in the window, standard
// error on the command line, a list in a test) and two operations never share a channel.
#include <functional>
#include <string>
#include <utility>

class messagesink {
  public:
    using handler = std::function<void(const std::string&)>;

    // Writes each text and a newline to standard error.
    messagesink() = default;
    explicit messagesink(handler show) : show(std::move(show)) {}

    // Shows one message; returns when it has been delivered.
    void operator()(const std::string& text) const;

  private:
    handler show;
};
