// State words and log lines for the displays.
#include "cli/task_snapshot.h"

#include <mutex>


namespace cw::cli {

std::wstring StateWord(int32_t status) {
  switch (status) {
    case kTaskWaiting: return L"waiting";
    case kTaskRunning: return L"running";
    case kTaskPaused: return L"paused";
    case kTaskDone: return L"done";
    case kTaskStopped: return L"stopped";
    default: return L"failed";
  }
}

}  // namespace cw::cli
