// Waits in tests for state that another thread or process changes: the
// condition is checked every few milliseconds until it holds or a generous
// limit passes, so a loaded machine only makes the test slower, never wrong.
#pragma once

#include <chrono>
#include <thread>

namespace cw::testing {

// Returns true as soon as `done()` does; false if it still does not after
// `limit`. `done` is called on the calling thread.
template <typename Done>
bool WaitUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace cw::testing
