// Whether an output is complete: a file that exists, is not empty and reads
// back as an MP4 (its top-level boxes tile the file exactly, starting with
// "ftyp" and holding "moov" and "mdat"), whose movie header's duration
// matches the source's span. Cheap: it reads one header per top-level box
// and the movie header, never the media. The one definition of a complete
// output: a run counts as done only when this finds nothing wrong, and the
// command line's --skip-existing skips a source only then.
#pragma once

#include <cstdint>
#include <string>

#include "platform/translate.h"

namespace cw {

inline constexpr wchar_t kOutputMissingReason[] = N_(L"the output file is missing");
inline constexpr wchar_t kOutputUnreadableReason[] = N_(L"the output is empty or unreadable");

// "" when the file at `path` reads back as a whole MP4; else the reason.
// Any thread.
std::wstring OutputProblem(const std::wstring& path);

// The duration in the movie header of the whole MP4 at `path`, in
// milliseconds; -1 when the file is not whole or has no readable header.
// Any thread.
int32_t OutputDurationMs(const std::wstring& path);

// "" when the output at `path` is complete for a source spanning
// `source_ms` (-1: unknown, the length is then not judged): OutputProblem's
// reason, else ShortOutputReason's (analysis/run_verdict.h). Any thread.
std::wstring CompleteOutputProblem(const std::wstring& path, int32_t source_ms);

}  // namespace cw
