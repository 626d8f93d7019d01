// Expanding the command line's files and folders into tasks.
#include "cli/input_files.h"

#include <algorithm>
#include <map>
#include <set>

#include "cli/video_extensions.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/translate.h"
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

// What a walk needs besides the folders: the output folder's identity, to
// leave it out, and where the unusable finds go.
struct Walk {
  std::string output_identity;  // "" when the output folder does not exist yet
  std::set<std::string> seen;
  std::vector<Refusal>* left_out;
};

// The folder's identity on disk, so that links cannot make a walk go round.
std::string FolderIdentity(const std::wstring& folder) {
  std::wstring real = CanonicalPath(folder);
  return WideToSystem(real.empty() ? folder : real);
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::wstring NotRegularReason() { return Tr(L"it is not a regular file (a pipe, a device or a socket)"); }

void WalkFolder(const std::wstring& folder, const std::wstring& relative, int depth, Walk* walk,
                std::vector<Found>* found) {
  const std::string identity = FolderIdentity(folder);
  if (depth > kMaxDepth || !walk->seen.insert(identity).second) return;
  if (depth > 0 && identity == walk->output_identity) return;  // this program's outputs
  std::vector<FolderEntry> entries;
  if (!ListFolder(folder, &entries)) {
    walk->left_out->push_back({folder, Fill(Tr(L"the folder cannot be read: %1"), {FolderReadProblem(folder)})});
    return;
  }
  for (const FolderEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L".." || entry.is_hidden) continue;
    std::wstring path = folder + L"/" + entry.name;
    if (entry.is_directory) {
      WalkFolder(path, relative.empty() ? entry.name : relative + L"/" + entry.name, depth + 1, walk, found);
    } else if (HasVideoExtension(entry.name)) {
      found->push_back({path, relative});
    }
  }
}

std::vector<std::shared_ptr<FileObject>> ScanTree(const std::wstring& folder, const ConfigObject& settings,
                                                  std::vector<Refusal>* left_out) {
  std::vector<Found> found;
  Walk walk{settings.outputDir.empty() || !IsDirectory(settings.outputDir) ? "" : FolderIdentity(settings.outputDir),
            {}, left_out};
  WalkFolder(folder, L"", 0, &walk, &found);
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });
  std::vector<std::shared_ptr<FileObject>> tasks;
  for (const Found& f : found) {
    std::shared_ptr<FileObject> task = MakeSourceTask(f.path, settings);
    if (!f.relative_folder.empty()) task->outputDir = settings.outputDir + L"/" + f.relative_folder;
    tasks.push_back(std::move(task));
  }
  return tasks;
}

std::wstring FolderOfPath(const std::wstring& path) {
  size_t slash = path.rfind(L'/');
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// Whether `name` ("clip(2).mp4") is the output this program gives a source
// whose base name is among `bases` of the same folder.
bool LooksLikeOutputOf(const std::wstring& name, const std::set<std::wstring>& bases,
                       const std::set<std::wstring>& non_mp4_bases) {
  if (!EndsWith(name, L".mp4")) return false;
  std::wstring base = name.substr(0, name.size() - 4);
  if (non_mp4_bases.count(base) > 0) return true;  // clip.mp4 beside clip.avi
  size_t open = base.rfind(L'(');
  if (base.empty() || base.back() != L')' || open == std::wstring::npos || open + 2 >= base.size()) return false;
  for (size_t i = open + 1; i + 1 < base.size(); ++i) {
    if (base[i] < L'0' || base[i] > L'9') return false;
  }
  return bases.count(base.substr(0, open)) > 0;  // clip(1).mp4 beside clip.avi or clip.mp4
}

// Leaves out what this program wrote itself (see ExpandInputs) and what
// cannot be converted (into *left_out).
void LeaveOutOwnFilesAndUnusable(const ConfigObject& settings, std::vector<std::shared_ptr<FileObject>>* tasks,
                                 std::vector<Refusal>* left_out) {
  std::map<std::wstring, std::set<std::wstring>> bases, non_mp4_bases;  // by folder
  for (const auto& task : *tasks) {
    const std::wstring name = FileNameOfPath(task->fromPath);
    const std::wstring base = BaseNameOfPath(task->fromPath);
    bases[FolderOfPath(task->fromPath)].insert(base);
    if (!EndsWith(name, L".mp4")) non_mp4_bases[FolderOfPath(task->fromPath)].insert(base);
  }
  std::vector<std::shared_ptr<FileObject>> kept;
  for (auto& task : *tasks) {
    const std::wstring folder = FolderOfPath(task->fromPath);
    const std::wstring& output = task->outputDir.empty() ? settings.outputDir : task->outputDir;
    if (EndsWith(task->fromPath, kPartialSuffix)) continue;
    if (IsDirectory(output) && FolderIdentity(output) == FolderIdentity(folder) &&
        LooksLikeOutputOf(FileNameOfPath(task->fromPath), bases[folder], non_mp4_bases[folder])) {
      continue;
    }
    if (RegularFileSize(task->fromPath) < 0) {
      left_out->push_back({task->fromPath, NotRegularReason()});
      continue;
    }
    kept.push_back(std::move(task));
  }
  tasks->swap(kept);
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
    std::wstring problem = PathProblem(path);
    if (!problem.empty()) {
      result.refused.push_back({SystemToWide(input), problem});
    } else if (!FileExists(path)) {
      result.missing.push_back(SystemToWide(input));
    } else if (!IsDirectory(path)) {
      if (RegularFileSize(path) < 0) {
        result.refused.push_back({SystemToWide(input), NotRegularReason()});
      } else {
        result.tasks.push_back(MakeSourceTask(path, settings));
      }
    } else if (!(problem = FolderReadProblem(path)).empty()) {
      result.refused.push_back({SystemToWide(input), Fill(Tr(L"the folder cannot be read: %1"), {problem})});
    } else {
      std::vector<std::shared_ptr<FileObject>> found =
          options.recursive ? ScanTree(path, settings, &result.left_out) : ScanFolder(path, settings);
      std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a->fromPath < b->fromPath; });
      LeaveOutOwnFilesAndUnusable(settings, &found, &result.left_out);
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
    const std::wstring base = BaseNameOfPath(task->fromPath);
    std::wstring candidate = OutputCandidate(folder, base, 0);
    for (int n = 1; taken.count(candidate) > 0; ++n) candidate = OutputCandidate(folder, base, n);
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
