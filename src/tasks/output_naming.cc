// Output naming and folder creation.
#include "tasks/output_naming.h"

#include <algorithm>

#include "platform/files.h"

namespace cw {
namespace {

std::wstring NumberText(int n) { return std::to_wstring(n); }

bool IsTaken(const std::wstring& candidate, const std::vector<std::wstring>& taken) {
  return FileExists(candidate) || std::find(taken.begin(), taken.end(), candidate) != taken.end();
}

}  // namespace

std::wstring BaseNameOfPath(const std::wstring& path) {
  size_t slash = path.rfind(L'/');
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ChooseOutputPath(const std::wstring& outputDir, const std::wstring& baseName,
                              const std::vector<std::wstring>& taken) {
  if (!FileExists(outputDir)) CreateDirectories(outputDir);
  std::wstring candidate = outputDir + L"/" + baseName + L".mp4";
  for (int n = 1; IsTaken(candidate, taken); ++n) {
    candidate = outputDir + L"/" + baseName + L"(" + NumberText(n) + L").mp4";
  }
  return candidate;
}

}  // namespace cw
