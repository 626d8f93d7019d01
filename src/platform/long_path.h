// Paths between the core and the Windows file functions. The core builds
// names with '/'; Windows takes '/' too, but only up to MAX_PATH (260)
// characters. Beyond that a path must be absolute, use '\' only and carry the
// extended-length prefix "\\?\" (which also turns off the system's handling of
// "." and ".."). Used by the *-win32.cc files only.
#pragma once

#include <string>

namespace cw {

// `path` (absolute or relative to the current folder, '/' or '\') as an
// absolute extended-length path: "\\?\C:\a\b" or "\\?\UNC\server\share\a".
// "." and ".." segments are resolved first. An empty path stays empty.
std::wstring ExtendedLengthPath(const std::wstring& path);

// A path the system returned, as the core writes it: the extended-length
// prefix removed ("\\?\UNC\" becomes "//") and every '\' turned into '/'.
std::wstring PathFromSystem(std::wstring path);

}  // namespace cw
