// Whether a finished run's output is there and is what was asked for: a
// file that exists, is not empty and reads back as an MP4 (its top-level
// boxes tile the file exactly, starting with "ftyp" and holding "moov" and
// "mdat"). Cheap: it reads one header per top-level box, never the media.
// A run counts as done only when this finds nothing wrong.
#pragma once

#include <string>

#include "platform/translate.h"

namespace cw {

inline constexpr wchar_t kOutputMissingReason[] = N_(L"the output file is missing");
inline constexpr wchar_t kOutputUnreadableReason[] = N_(L"the output is empty or unreadable");

// "" when the file at `path` reads back as a whole MP4; else the reason.
// Any thread.
std::wstring OutputProblem(const std::wstring& path);

}  // namespace cw
