// Menu labels for toolkits.
#include "platform/menu.h"

namespace cw {

std::wstring MnemonicLabel(const std::wstring& text) {
  std::wstring label;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        label += L'&';
        ++i;
      } else {
        label += L'_';
      }
    } else if (c == L'_') {
      label += L"__";
    } else {
      label += c;
    }
  }
  return label;
}

}  // namespace cw
