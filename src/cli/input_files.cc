// Expanding the command line's files and folders into tasks.
#include "cli/input_files.h"

#include <algorithm>
#include <map>
#include <set>

#include "cli/video_extensions.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sources/add_sources.h"
#include "tasks/output_naming.h"

namespace cw::cli {

namespace {

// Folder trees deeper than this are not followed further.
constexpr int kMaxDepth = 64;

struct Found {
  std::wstring path;
  std::wstring relative_folder;  // "" or "a/b" below the scanned folder
};

// The folder's identity on disk, so that links cannot make a walk go round.
std::string FolderIdentity(const std::wstring& folder) {
  std::wstring real = CanonicalPath(folder);
  return WideToSystem(real.empty() ? folder : real);
}

void WalkFolder(const std::wstring& folder, const std::wstring& relative, int depth, std::set<std::string>* seen,
                std::vector<Found>* found) {
  if (depth > kMaxDepth || !seen->insert(FolderIdentity(folder)).second) return;
  std::vector<FolderEntry> entries;
  if (!ListFolder(folder, &entries)) return;
  for (const FolderEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L".." || entry.is_hidden) continue;
    std::wstring path = folder + L"/" + entry.name;
    if (entry.is_directory) {
      WalkFolder(path, relative.empty() ? entry.name : relative + L"/" + entry.name, depth + 1, seen, found);
    } else if (HasVideoExtension(entry.name)) {
      found->push_back({path, relative});
    }
  }
}

std::vector<std::shared_ptr<FileObject>> ScanTree(const std::wstring& folder, const ConfigObject& settings) {
  std::vector<Found> found;
  std::set<std::string> seen;
  WalkFolder(folder, L"", 0, &seen, &found);
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });
  std::vector<std::shared_ptr<FileObject>> tasks;
  for (const Found& f : found) {
    std::shared_ptr<FileObject> task = MakeSourceTask(f.path, settings);
    if (!f.relative_folder.empty()) task->outputDir = settings.outputDir + L"/" + f.relative_folder;
    tasks.push_back(std::move(task));
  }
  return tasks;
}

}  // namespace

std::wstring AbsolutePath(const std::string& path) {
  std::wstring text = MakeAbsolutePath(SystemToWide(path));
  // A folder given as "dir/" keeps no trailing separator.
  while (text.size() > 1 && text.back() == L'/') text.pop_back();
  return text;
}

InputFiles ExpandInputs(const std::vector<std::string>& inputs, const ConfigObject& settings,
                        const ExpandOptions& options) {
  InputFiles result;
  for (const auto& input : inputs) {
    std::wstring path = AbsolutePath(input);
    if (!FileExists(path)) {
      result.missing.push_back(SystemToWide(input));
    } else if (!IsDirectory(path)) {
      result.tasks.push_back(MakeSourceTask(path, settings));
    } else if (options.recursive) {
      std::vector<std::shared_ptr<FileObject>> found = ScanTree(path, settings);
      result.tasks.insert(result.tasks.end(), found.begin(), found.end());
    } else {
      std::vector<std::shared_ptr<FileObject>> found = ScanFolder(path, settings);
      std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a->fromPath < b->fromPath; });
      result.tasks.insert(result.tasks.end(), found.begin(), found.end());
    }
  }
  return result;
}

std::vector<std::wstring> PlannedOutputs(const std::vector<std::shared_ptr<FileObject>>& tasks,
                                         const std::wstring& outputDir) {
  std::vector<std::wstring> planned;
  std::set<std::wstring> taken;
  for (const auto& task : tasks) {
    const std::wstring& folder = task->outputDir.empty() ? outputDir : task->outputDir;
    std::wstring base = folder + L"/" + BaseNameOfPath(task->fromPath);
    std::wstring candidate = base + L".mp4";
    for (int n = 1; taken.count(candidate) > 0; ++n) candidate = base + L"(" + std::to_wstring(n) + L").mp4";
    taken.insert(candidate);
    planned.push_back(candidate);
  }
  return planned;
}

std::vector<size_t> ShardPositions(size_t size, int index, int count) {
  std::vector<size_t> positions;
  if (index < 1 || count < 1 || index > count) return positions;
  for (size_t i = static_cast<size_t>(index - 1); i < size; i += static_cast<size_t>(count)) positions.push_back(i);
  return positions;
}

}  // namespace cw::cli

namespace cw::cli {

bool FindSharedOutputName(const std::vector<std::shared_ptr<FileObject>>& tasks, const std::wstring& outputDir,
                          size_t* first, size_t* second) {
  std::map<std::wstring, size_t> by_name;
  for (size_t i = 0; i < tasks.size(); ++i) {
    const std::wstring& folder = tasks[i]->outputDir.empty() ? outputDir : tasks[i]->outputDir;
    auto [it, fresh] = by_name.try_emplace(folder + L"/" + BaseNameOfPath(tasks[i]->fromPath), i);
    if (!fresh) {
      *first = it->second;
      *second = i;
      return true;
    }
  }
  return false;
}

}  // namespace cw::cli
