// The host's one way to show a message to the user ("Exception catch!",
// "can't find device!", ...). The desktop program shows a modal box on the UI
// thread, tools print it, tests record it. Code that shows a message never
// needs a window.
#pragma once

#include <functional>
#include <string>

namespace cw {

using MessageSink = std::function<void(const std::wstring& text)>;

// Shows a message through the installed sink. Any thread may call it; the sink
// decides how a message from a worker reaches the UI thread. With no sink
// installed the text goes to standard error as "message: TEXT".
void ShowMessage(const std::wstring& text);

// Installs the sink for the whole process and returns the previous one.
// Call from the main thread while no other thread shows messages.
MessageSink SetMessageSink(MessageSink sink);

}  // namespace cw
