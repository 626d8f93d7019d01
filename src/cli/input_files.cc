// Expanding the command line's files and folders into the files to queue.
#include "cli/input_files.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "platform/text.h"

namespace cw::cli {

std::wstring AbsolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return SystemToWide(path);
  std::string text = absolute.lexically_normal().string();
  // A folder given as "dir/" keeps no trailing separator.
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return SystemToWide(text);
}

InputFiles ExpandInputs(const std::vector<std::string>& inputs) {
  InputFiles result;
  for (const auto& input : inputs) {
    std::wstring path = AbsolutePath(input);
    if (!FileExists(path)) {
      result.missing.push_back(SystemToWide(input));
      continue;
    }
    if (!IsDirectory(path)) {
      result.files.push_back(path);
      continue;
    }
    std::vector<FolderEntry> entries;
    ListFolder(path, &entries);  // an unreadable folder gives what it gave
    std::vector<std::wstring> names;
    for (const auto& entry : entries) {
      if (!entry.is_directory && !entry.is_hidden) names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    std::wstring prefix = path == L"/" ? path : path + L"/";
    for (const auto& name : names) result.files.push_back(prefix + name);
  }
  return result;
}

}  // namespace cw::cli
