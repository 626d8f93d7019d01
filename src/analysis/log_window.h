// Keeping an encoder's log small without losing what is read from it. The
// parsers need the top (the input's duration and stream lines, printed
// first) and the newest lines (the status line, the last messages); an
// encoder that prints megabytes of warnings in between must not make the log
// grow without bound. Any thread; the log belongs to its caller.
#pragma once

#include <cstddef>
#include <string>

namespace cw {

// The kept top and the kept tail, in characters.
inline constexpr size_t kLogHeadChars = 64 * 1024;
inline constexpr size_t kLogTailChars = 64 * 1024;

// The text put where lines were left out.
inline constexpr wchar_t kLogGapMarker[] = L"\n[...]\n";

// When *log has grown past head + twice the tail, drops the middle: the
// first kLogHeadChars characters and the last kLogTailChars stay, with
// kLogGapMarker between them. Amortised cost per appended character is
// constant.
void KeepLogBounded(std::wstring* log);

}  // namespace cw
