#pragma once
// The two places where the data model reaches the user: message boxes and the busy cursor.
// The library knows no widgets; the program connects both to its windowing layer, tests
// replace them to record what the model would have shown.

#include <functional>
#include <string>

namespace estimating {

// Shows a plain message box with an OK button (text in UTF-8) and returns when it is closed.
using MessageSink = std::function<void(const std::string& text)>;

// Installs a sink and gives back the previous one. An empty sink restores the default, which
// writes the text to stderr.
MessageSink SetMessageSink(MessageSink sink);
// Routes one message through the sink in force. Never throws.
void ShowMessage(const std::string& text);

// Called with true when a long operation starts and with false when it ends.
using BusyCursorSink = std::function<void(bool busy)>;
BusyCursorSink SetBusyCursorSink(BusyCursorSink sink);

// Shows the busy cursor for its lifetime; nests.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Replaces the message sink for a scope and restores the previous one (tests, nested windows).
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink sink) : previous_(SetMessageSink(std::move(sink))) {}
    ~ScopedMessageSink() { SetMessageSink(std::move(previous_)); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink previous_;
};

} // namespace estimating
