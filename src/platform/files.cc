// File-system helpers built on the per-system primitives of files.h.
#include "platform/files.h"

#include <ctime>

namespace cw {

bool CreateDirectories(const std::wstring& path) {
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  // Every prefix that ends before a '/' is a parent; the root ("") is skipped.
  for (size_t slash = path.find(L'/'); slash != std::wstring::npos; slash = path.find(L'/', slash + 1)) {
    std::wstring prefix = path.substr(0, slash);
    if (!prefix.empty() && !IsDirectory(prefix)) CreateDirectory(prefix);
  }
  if (!IsDirectory(path)) CreateDirectory(path);
  return IsDirectory(path);
}

std::wstring SetAsideName(const std::wstring& path) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (const std::tm* t = std::localtime(&now)) local = *t;
  char buffer[32];
  size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
  return path + L".broken-" + std::wstring(buffer, buffer + n);
}

std::wstring MoveAside(const std::wstring& path, const std::wstring& aside) {
  std::wstring name = aside;
  for (int n = 2; n < 100; ++n) {
    if (RenameWithoutReplacing(path, name)) return name;
    if (!FileExists(name)) return L"";  // the rename failed for another reason
    name = aside + L"-" + std::to_wstring(n);
  }
  return L"";
}

}  // namespace cw
