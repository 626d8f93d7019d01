// State words and log lines for the displays.
#include "cli/task_snapshot.h"

#include <algorithm>
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

std::vector<std::wstring> LastLines(const std::wstring& log, size_t count) {
  std::vector<std::wstring> lines;
  size_t end = log.size();
  while (end > 0 && lines.size() < count) {
    size_t start = log.find_last_of(L"\r\n", end - 1);
    size_t first = start == std::wstring::npos ? 0 : start + 1;
    std::wstring line = log.substr(first, end - first);
    bool blank = line.find_first_not_of(L" \t") == std::wstring::npos;
    if (!blank) lines.push_back(line);
    if (start == std::wstring::npos) break;
    end = start;
  }
  std::reverse(lines.begin(), lines.end());
  return lines;
}

}  // namespace cw::cli
