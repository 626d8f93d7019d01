// Checks of the output folder and of conTasks, and the messages of refusal.
#include "settings/setting_checks.h"

#include <charconv>

#include "platform/files.h"
#include "platform/translate.h"

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
  if (folder.empty()) return Tr(L"no folder is given");
  // The system's own rule: "/" on Linux, a drive or a share on Windows.
  if (!IsFullPath(folder)) return Fill(Tr(L"it is not a full path (%1)"), {Tr(FullPathRule())});
  if (folder.find(L'\0') != std::wstring::npos) return Tr(L"it holds a zero character");
  if (IsDirectory(folder)) {
    return IsWritableDirectory(folder) ? std::wstring() : Tr(L"the folder cannot be written");
  }
  if (FileExists(folder)) return Tr(L"it is a file, not a folder");
  // The walk up splits at '/': the folder as the platform writes it, with
  // '/' for Windows's '\' as well.
  for (std::wstring parent = ParentOf(MakeAbsolutePath(folder)); !parent.empty(); parent = ParentOf(parent)) {
    if (IsDirectory(parent)) {
      if (IsWritableDirectory(parent)) return std::wstring();
      return Fill(Tr(L"it cannot be created: %1 cannot be written"), {parent});
    }
    if (FileExists(parent)) return Fill(Tr(L"it cannot be created: %1 is a file, not a folder"), {parent});
  }
  return Tr(L"it cannot be created");
}

std::wstring RefusedOutputFolderMessage(const std::wstring& refused, const std::wstring& problem,
                                        const std::wstring& kept) {
  return Fill(Tr(L"The output folder \"%1\" is not used: %2.\nThe output folder stays \"%3\"."),
              {refused, problem, kept});
}

std::wstring RefusedConTasksMessage(const std::wstring& refused, int32_t kept) {
  return Fill(Tr(L"The number of conversions at once must be a whole number from %1 to %2; \"%3\" is not used.\n"
                  "It stays %4."),
              {Decimal(kMinConTasks), Decimal(kMaxConTasks), refused, Decimal(kept)});
}

}  // namespace cw
