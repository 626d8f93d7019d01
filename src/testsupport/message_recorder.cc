// Message recorder for tests.
#include "testsupport/message_recorder.h"

namespace cw::testing {

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageSink([this](const std::wstring& text) { Record(text); });
}

void MessageRecorder::Record(const std::wstring& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  texts_.push_back(text);
}

MessageSink MessageRecorder::sink() {
  return [this](const std::wstring& text) { Record(text); };
}

MessageRecorder::~MessageRecorder() { SetMessageSink(std::move(previous_)); }

std::vector<std::wstring> MessageRecorder::texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

void MessageRecorder::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  texts_.clear();
}

}  // namespace cw::testing
