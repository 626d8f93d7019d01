// Path texts: where a path's folder ends and its name begins. The separator
// rule is the system's: '/' on Linux (where '\' is a character of a name),
// '/' and '\' alike on Windows. Only text is looked at; nothing here touches
// the file system.
#pragma once

#include <string>

namespace cw {

// Whether `c` separates the parts of a path on this system. Any thread.
bool IsPathSeparator(wchar_t c);

// The position of the last separator in `path`, or npos. Any thread.
size_t LastSeparator(const std::wstring& path);

// The text before the last separator ("/a/b/c.avi" -> "/a/b", "/c" -> ""),
// "" when there is none. Any thread.
std::wstring FolderOfPath(const std::wstring& path);

// The text after the last separator ("" for a path ending in one), or the
// whole path when there is none. Any thread.
std::wstring FileNameOfPath(const std::wstring& path);

// The file name without its last extension: "/v/holiday.2010.mov" ->
// "holiday.2010"; a name that is only an extension (".profile") gives "".
// Any thread.
std::wstring BaseNameOfPath(const std::wstring& path);

// The folder that holds the folder or file `path`, trailing separators
// ignored: "/a/b/" -> "/a", "/a" -> "/" (the root keeps its separator),
// "" for a path without a separator before its last part. Any thread.
std::wstring ParentFolderOf(const std::wstring& path);

}  // namespace cw
