// File-system helpers built on the per-system primitives of files.h.
#include "platform/files.h"

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

}  // namespace cw
