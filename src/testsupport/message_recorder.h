// Records the messages shown while it lives (through the process's sink or
// through sink()), instead of printing them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/message.h"

namespace cw::testing {

class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  // A sink that records into this recorder, to hand to an engine, a settings
  // object or a host; it must not be called after the recorder is gone.
  MessageSink sink();
  std::vector<std::wstring> texts() const;
  void Clear();

 private:
  void Record(const std::wstring& text);
  mutable std::mutex mutex_;
  std::vector<std::wstring> texts_;
  MessageSink previous_;
};

}  // namespace cw::testing
