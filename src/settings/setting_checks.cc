// Checks of the output folder and of conTasks, and the messages of refusal.
#include "settings/setting_checks.h"

#include <charconv>

#include "platform/files.h"

namespace cw {
namespace {

std::wstring Decimal(int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::wstring(buffer, result.ptr);
}

std::wstring ParentOf(const std::wstring& path) {
  size_t end = path.find_last_not_of(L'/');
  if (end == std::wstring::npos) return std::wstring();
  size_t slash = path.rfind(L'/', end);
  if (slash == std::wstring::npos) return std::wstring();
  return slash == 0 ? std::wstring(L"/") : path.substr(0, slash);
}

}  // namespace

std::wstring OutputFolderProblem(const std::wstring& folder) {
  if (folder.empty()) return L"no folder is given";
  if (!IsFullPath(folder)) return L"it is not a full path (" + std::wstring(FullPathRule()) + L")";
  if (folder.find(L'\0') != std::wstring::npos) return L"it holds a zero character";
  if (IsDirectory(folder)) {
    return IsWritableDirectory(folder) ? std::wstring() : L"the folder cannot be written";
  }
  if (FileExists(folder)) return L"it is a file, not a folder";
  for (std::wstring parent = ParentOf(folder); !parent.empty(); parent = ParentOf(parent)) {
    if (IsDirectory(parent)) {
      if (IsWritableDirectory(parent)) return std::wstring();
      return L"it cannot be created: " + parent + L" cannot be written";
    }
    if (FileExists(parent)) return L"it cannot be created: " + parent + L" is a file, not a folder";
  }
  return L"it cannot be created";
}

std::wstring RefusedOutputFolderMessage(const std::wstring& refused, const std::wstring& problem,
                                        const std::wstring& kept) {
  return L"The output folder \"" + refused + L"\" is not used: " + problem + L".\nThe output folder stays \"" +
         kept + L"\".";
}

std::wstring RefusedConTasksMessage(const std::wstring& refused, int32_t kept) {
  return L"The number of conversions at once must be a whole number from " + Decimal(kMinConTasks) +
         L" to " + Decimal(kMaxConTasks) + L"; \"" + refused + L"\" is not used.\nIt stays " +
         Decimal(kept) + L".";
}

}  // namespace cw
