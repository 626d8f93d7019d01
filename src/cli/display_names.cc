// Telling files of the same name apart on the display.
#include "cli/display_names.h"

#include <map>
#include <set>

namespace cw::cli {

std::wstring LastPathParts(const std::wstring& path, int parts) {
  size_t at = path.size();
  for (int i = 0; i < parts; ++i) {
    if (at == 0) return path;
    size_t slash = path.rfind(L'/', at - 1);
    if (slash == std::wstring::npos) return path;
    at = slash;
  }
  return path.substr(at + 1);
}

std::vector<std::wstring> DistinctNames(const std::vector<TaskView>& tasks) {
  std::vector<std::wstring> names;
  std::map<std::wstring, std::set<std::wstring>> paths_by_name;
  for (const auto& t : tasks) paths_by_name[t.fileName].insert(t.fromPath);
  for (const auto& t : tasks) {
    const std::set<std::wstring>& same = paths_by_name[t.fileName];
    if (same.size() < 2) {
      names.push_back(t.fileName);
      continue;
    }
    // The fewest trailing parts that no other path of the same name shares.
    std::wstring chosen = t.fromPath;
    for (int parts = 2; parts < 64; ++parts) {
      std::wstring tail = LastPathParts(t.fromPath, parts);
      bool unique = true;
      for (const auto& other : same) {
        if (other != t.fromPath && LastPathParts(other, parts) == tail) unique = false;
      }
      if (unique || tail == t.fromPath) {
        chosen = tail;
        break;
      }
    }
    names.push_back(chosen);
  }
  return names;
}

}  // namespace cw::cli
