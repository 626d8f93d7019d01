// The Windows separator rule: '/' and '\' both separate.
#include "platform/paths.h"

namespace cw {

bool IsPathSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

}  // namespace cw
