// Records the messages shown while it lives, instead of printing them.
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
  std::vector<std::wstring> texts() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> texts_;
  MessageSink previous_;
};

}  // namespace cw::testing
