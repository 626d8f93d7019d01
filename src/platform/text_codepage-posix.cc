// The system's narrow code page on Linux: UTF-8.
#include "platform/text.h"

namespace cw {

std::wstring CodePageToWide(std::string_view bytes) { return SystemToWideReplacing(bytes); }

std::string WideToCodePage(std::wstring_view text) { return WideToDisplayUtf8(text); }

}  // namespace cw
