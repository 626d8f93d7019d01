// Device names for the task JSON, with the missing-device message shown once
// per unknown id instead of on every refresh.
#include <mutex>
#include <vector>

#include "catalog/device_catalog.h"
#include "platform/message.h"
#include "platform/text.h"
#include "tasks/task_json.h"
#include "platform/translate.h"

namespace cw {
namespace {

// Ids already reported missing in this process.
std::mutex reported_mutex;
std::vector<std::wstring>& ReportedIds() {
  static std::vector<std::wstring>* ids = new std::vector<std::wstring>();
  return *ids;
}

bool FirstReportOf(const std::wstring& id) {
  std::lock_guard<std::mutex> hold(reported_mutex);
  for (const std::wstring& seen : ReportedIds()) {
    if (AsciiCaseCompare(seen, id) == 0) return false;
  }
  ReportedIds().push_back(id);
  return true;
}

}  // namespace

std::wstring TaskDeviceName(const std::wstring& id) {
  for (const DeviceObject& device : GetDeviceCatalog().devices) {
    if (AsciiCaseCompare(device.id, id) == 0) return device.name;
  }
  if (FirstReportOf(id)) ShowMessage(Tr(kDeviceNotFoundMessage));
  return L"";
}

}  // namespace cw
