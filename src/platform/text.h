// Text conversion at the edges of the core, and locale-independent helpers.
// The core keeps text as std::wstring; the system's text (file contents,
// command lines, encoder output) is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cw {

// UTF-8 -> wide text. Tolerant: every byte that does not start a valid,
// shortest-form sequence becomes U+FFFD; never throws. Any thread.
std::wstring SystemToWide(std::string_view text);

// Wide text -> UTF-8. Unpaired surrogates and values above U+10FFFF become
// U+FFFD; a valid UTF-16 surrogate pair is joined into one code point. Any thread.
std::string WideToSystem(std::wstring_view text);

// Compares like _wcsicmp in the C locale: only 'A'-'Z' fold to 'a'-'z'.
// Returns <0, 0 or >0. Any thread.
int AsciiCaseCompare(std::wstring_view a, std::wstring_view b);

}  // namespace cw
