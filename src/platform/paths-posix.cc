// The Linux separator rule: '/' only; a backslash belongs to the name.
#include "platform/paths.h"

namespace cw {

bool IsPathSeparator(wchar_t c) { return c == L'/'; }

}  // namespace cw
