// File-system helpers built on the per-system primitives of files.h.
#include "platform/files.h"

#include <ctime>

#include "platform/paths.h"

namespace cw {

bool ReadWholeTextFile(const std::wstring& path, std::string* text) {
  text->clear();
  if (!ReadFileBytes(path, text)) return false;
  // Drop the line ends in place: every LF, and a CR that ends a line.
  std::string& bytes = *text;
  size_t out = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\n') continue;
    if (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] == '\n')) continue;
    bytes[out++] = c;
  }
  bytes.resize(out);
  return true;
}

bool CreateDirectories(const std::wstring& path) {
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  // Every prefix that ends before a separator ('\\' too on Windows) is a
  // parent; the root ("") is skipped, and so are prefixes that are no folder
  // to make ("C:", the "\\server" of a share): creating them fails harmlessly.
  for (size_t i = 1; i < path.size(); ++i) {
    if (!IsPathSeparator(path[i]) || IsPathSeparator(path[i - 1])) continue;
    std::wstring prefix = path.substr(0, i);
    if (!IsDirectory(prefix)) CreateDirectory(prefix);
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
