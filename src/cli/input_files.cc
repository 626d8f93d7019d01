// Expanding the command line's files and folders into tasks.
#include "cli/input_files.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "platform/text.h"
#include "sources/add_sources.h"

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

InputFiles ExpandInputs(const std::vector<std::string>& inputs, const ConfigObject& settings) {
  InputFiles result;
  for (const auto& input : inputs) {
    std::wstring path = AbsolutePath(input);
    if (!FileExists(path)) {
      result.missing.push_back(SystemToWide(input));
    } else if (!IsDirectory(path)) {
      result.tasks.push_back(MakeSourceTask(path, settings));
    } else {
      std::vector<std::shared_ptr<FileObject>> found = ScanFolder(path, settings);
      std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a->fromPath < b->fromPath; });
      result.tasks.insert(result.tasks.end(), found.begin(), found.end());
    }
  }
  return result;
}

}  // namespace cw::cli
