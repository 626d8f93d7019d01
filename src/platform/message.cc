// Routes user messages to the installed sink.
#include "platform/message.h"

#include <cstdio>
#include <mutex>

#include "platform/text.h"

namespace cw {
namespace {

std::mutex sink_mutex;
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}

}  // namespace

void ShowMessage(const std::wstring& text) {
  MessageSink sink;
  {
    std::lock_guard<std::mutex> lock(sink_mutex);
    sink = Sink();
  }
  if (sink) {
    sink(text);
    return;
  }
  std::fprintf(stderr, "message: %s\n", WideToDisplayUtf8(text).c_str());
}

MessageSink SetMessageSink(MessageSink sink) {
  std::lock_guard<std::mutex> lock(sink_mutex);
  MessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

}  // namespace cw
