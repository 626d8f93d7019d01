// Text conversion at the edges of the core, and locale-independent helpers.
// The core keeps text as std::wstring; the system's text (file names,
// command lines, file contents, encoder output) is UTF-8 bytes.
//
// File names are bytes, and not every name is valid UTF-8. So that every
// name the system gives us goes back to it unchanged, SystemToWide carries
// each byte that is not part of a valid sequence as one lone surrogate
// U+DC80-U+DCFF (an "escaped byte"), and WideToSystem turns it back into that
// byte. Escaped bytes are never shown to a person: DisplayText and
// WideToDisplayUtf8 show them as U+FFFD.
//
// Which one to use:
//   SystemToWide / WideToSystem   anything that may go back to the system as
//                                 a name or an argument: paths, argv,
//                                 environment, folder listings, config.ini.
//   SystemToWideReplacing         text that is only read or shown: the
//                                 encoder's log, the catalog, JSON documents.
//   WideToDisplayUtf8             text for people: GTK labels, titles,
//                                 dialogs, notifications, stderr.
//   DisplayText                   the same rule kept wide (the terminal).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cw {

// Whether `c` is an escaped byte (U+DC80-U+DCFF).
bool IsEscapedByte(wchar_t c);

// UTF-8 bytes -> wide text, lossless. Valid shortest-form sequences decode to
// their code points; every other byte b becomes U+DC00 + b (b is always
// 0x80 or above). WideToSystem(SystemToWide(b)) == b for every byte string b.
// Never throws. Any thread.
std::wstring SystemToWide(std::string_view bytes);

// Wide text -> system bytes, the inverse of SystemToWide: escaped bytes become
// the byte they carry, a valid UTF-16 surrogate pair is joined into one code
// point, other unpaired surrogates and values above U+10FFFF become U+FFFD.
// Any thread.
std::string WideToSystem(std::wstring_view text);

// UTF-8 -> wide text, tolerant: every byte that does not start a valid,
// shortest-form sequence becomes U+FFFD (a sequence cut short counts once);
// the result never holds escaped bytes. Never throws. Any thread.
std::wstring SystemToWideReplacing(std::string_view bytes);

// The wide text as a person sees it: every escaped byte becomes U+FFFD.
// Any thread.
std::wstring DisplayText(std::wstring_view text);

// `shown` when it differs from what a person was shown of `original`,
// else `original`: a name that came back from the page (which only ever
// sees U+FFFD for escaped bytes) unchanged keeps its bytes. Any thread.
std::wstring RestoreEscapedBytes(const std::wstring& shown, const std::wstring& original);

// Wide text -> UTF-8 that is always valid: escaped bytes, unpaired
// surrogates and values above U+10FFFF become U+FFFD; a valid surrogate pair
// is joined. For GTK and everything else a person reads. Any thread.
std::string WideToDisplayUtf8(std::wstring_view text);

// Text in the system's narrow code page, for what a system hands over in it:
// the ANSI code page on Windows (MultiByteToWideChar / WideCharToMultiByte
// with CP_ACP), UTF-8 on Linux (as SystemToWideReplacing and
// WideToDisplayUtf8). Bytes that are no character become U+FFFD, characters
// the code page lacks '?'. Never throws. Any thread.
std::wstring CodePageToWide(std::string_view bytes);
std::string WideToCodePage(std::wstring_view text);

// Appends the code point `cp` (at most U+10FFFF) to *out: as one unit where
// wchar_t has 32 bits (Linux), as a surrogate pair above U+FFFF where it has
// 16 (Windows, whose wide text is UTF-16). Any thread.
void AppendCodePoint(std::wstring* out, char32_t cp);

// True when text[i] and text[i + 1] are one character written as a
// surrogate pair: only where wchar_t has 16 bits; where it has 32, each
// surrogate is a lone unit. Any thread.
bool SurrogatePairAt(std::wstring_view text, size_t i);

// Compares like _wcsicmp in the C locale: only 'A'-'Z' fold to 'a'-'z'.
// Returns <0, 0 or >0. Any thread.
int AsciiCaseCompare(std::wstring_view a, std::wstring_view b);

// The lines joined by "\n", none after the last. Any thread.
std::wstring JoinLines(const std::vector<std::wstring>& lines);

}  // namespace cw
