// Output naming and folder creation.
#include "tasks/output_naming.h"

#include <algorithm>

#include "platform/files.h"

namespace cw {
namespace {

std::wstring NumberText(int n) { return std::to_wstring(n); }

bool IsTaken(const std::wstring& candidate, const std::vector<std::wstring>& taken) {
  return FileExists(candidate) || FileExists(PartialPathOf(candidate)) ||
         std::find(taken.begin(), taken.end(), candidate) != taken.end();
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// `baseName` cut at the end, a whole character at a time, until it and
// `tail` make a name of at most `limit` units.
std::wstring FittedBase(const std::wstring& baseName, const std::wstring& tail, size_t limit) {
  std::wstring base = baseName;
  while (!base.empty() && NameLength(base + tail) > limit) {
    base.pop_back();
    if (!base.empty() && IsHighSurrogate(base.back())) base.pop_back();  // never half of a UTF-16 pair
  }
  return base;
}

std::wstring Candidate(const std::wstring& folder, const std::wstring& baseName, int n) {
  return OutputCandidate(folder, baseName, n);
}

}  // namespace

std::wstring OutputCandidate(const std::wstring& folder, const std::wstring& baseName, int n) {
  const std::wstring number = n == 0 ? L"" : L"(" + NumberText(n) + L")";
  // The partial name is the longest this name is ever given: it must fit.
  const std::wstring base = FittedBase(baseName, number + L".mp4" + kPartialSuffix, NameLimitOf(folder));
  return folder + L"/" + base + number + L".mp4";
}

std::wstring ChooseOutputPath(const std::wstring& outputDir, const std::wstring& baseName,
                              const std::vector<std::wstring>& taken) {
  if (!FileExists(outputDir)) CreateDirectories(outputDir);
  std::wstring candidate = Candidate(outputDir, baseName, 0);
  for (int n = 1; IsTaken(candidate, taken); ++n) candidate = Candidate(outputDir, baseName, n);
  return candidate;
}

std::wstring PartialPathOf(const std::wstring& final_path) { return final_path + kPartialSuffix; }

std::wstring ChooseAndReserveOutputPath(const std::wstring& outputDir, const std::wstring& baseName,
                                        const std::vector<std::wstring>& taken,
                                        std::unique_ptr<FileReservation>* reservation) {
  std::vector<std::wstring> passed = taken;
  // A name reserved by someone else between the look and the creation is
  // passed over; a folder where nothing can be created ends the search.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::wstring candidate = ChooseOutputPath(outputDir, baseName, passed);
    *reservation = FileReservation::Create(PartialPathOf(candidate));
    if (*reservation) return candidate;
    if (!FileExists(PartialPathOf(candidate))) break;
    passed.push_back(candidate);
  }
  reservation->reset();
  return L"";
}

std::wstring PublishOutput(const std::wstring& partial_path, const std::wstring& final_path,
                           const std::wstring& baseName) {
  if (RenameWithoutReplacing(partial_path, final_path)) return final_path;
  size_t slash = final_path.rfind(L'/');
  std::wstring folder = slash == std::wstring::npos ? L"." : final_path.substr(0, slash);
  for (int n = 1; n < 10000; ++n) {
    std::wstring candidate = Candidate(folder, baseName, n);
    if (candidate == final_path || FileExists(PartialPathOf(candidate))) continue;
    if (RenameWithoutReplacing(partial_path, candidate)) return candidate;
    if (!FileExists(partial_path)) break;
  }
  return L"";
}

int RemoveAbandonedPartials(const std::wstring& folder) {
  std::vector<FolderEntry> entries;
  if (folder.empty() || !ListFolder(folder, &entries)) return 0;
  int removed = 0;
  for (const FolderEntry& entry : entries) {
    if (entry.is_directory || !entry.name.ends_with(kPartialSuffix)) continue;
    std::wstring path = folder + L"/" + entry.name;
    if (ReservationAbandoned(path) && DeleteFile(path)) ++removed;
  }
  return removed;
}

}  // namespace cw
