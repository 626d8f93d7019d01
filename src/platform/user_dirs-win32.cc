// The user's standard folders on Windows, from the Known Folders: the
// profile, Videos, the roaming application data (settings) and the local
// application data (state that stays on this computer). Returned with '/'
// separators, as the core builds names.
//
// The default output folder is Videos\Clipwright, not c:\output: a folder at
// the root of the system drive cannot be created by a standard user on a
// current Windows, while the Videos folder is always the user's own.
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/long_path.h"
#include "platform/user_dirs.h"

namespace cw {
namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring result;
  if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK && path) result = path;
  CoTaskMemFree(path);
  result = PathFromSystem(result);
  while (result.size() > 3 && result.back() == L'/') result.pop_back();
  return result;
}

std::wstring Or(const std::wstring& first, const std::wstring& second) { return first.empty() ? second : first; }

std::wstring Environment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? PathFromSystem(value) : std::wstring();
}

}  // namespace

std::wstring UserHomeFolder() {
  return Or(KnownFolder(FOLDERID_Profile), Or(Environment(L"USERPROFILE"), L"C:/"));
}

std::wstring UserVideosFolder() { return Or(KnownFolder(FOLDERID_Videos), UserHomeFolder() + L"/Videos"); }

std::wstring UserConfigFolder() {
  return Or(KnownFolder(FOLDERID_RoamingAppData), Or(Environment(L"APPDATA"), UserHomeFolder() + L"/AppData/Roaming"));
}

std::wstring UserStateFolder() {
  return Or(KnownFolder(FOLDERID_LocalAppData),
            Or(Environment(L"LOCALAPPDATA"), UserHomeFolder() + L"/AppData/Local"));
}

}  // namespace cw
