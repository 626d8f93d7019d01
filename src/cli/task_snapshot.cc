// State words and log lines for the displays.
#include "cli/task_snapshot.h"

#include <mutex>

#include "platform/translate.h"


namespace cw::cli {

std::wstring StateWord(int32_t status) {
  switch (status) {
    case kTaskWaiting: return Tr(L"waiting");
    case kTaskRunning: return Tr(L"running");
    case kTaskPaused: return Tr(L"paused");
    case kTaskDone: return Tr(L"done");
    case kTaskStopped: return Tr(L"stopped");
    default: return Tr(L"failed");
  }
}

}  // namespace cw::cli
