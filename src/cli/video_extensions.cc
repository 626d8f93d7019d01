// The extension list of recursive folder scans.
#include "cli/video_extensions.h"

#include <sstream>

namespace cw::cli {

bool HasVideoExtension(const std::wstring& name) {
  size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos || dot == 0 || dot + 1 == name.size()) return false;
  std::string extension;
  for (size_t i = dot + 1; i < name.size(); ++i) {
    wchar_t c = name[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c > 0x7f) return false;
    extension += static_cast<char>(c);
  }
  std::istringstream list(kVideoExtensionsText);
  std::string known;
  while (list >> known) {
    if (known == extension) return true;
  }
  return false;
}

}  // namespace cw::cli
