// Reading numbers out of encoder text. The encoder writes plain ASCII
// numbers; these readers accept the leading part of a text that forms a
// number and ignore the rest, in the C locale whatever the process locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace cw {

// White space as the C locale knows it: space, \t, \n, \v, \f, \r.
bool IsAsciiSpace(wchar_t c);

// The text without white space at either end.
std::wstring_view TrimAsciiSpace(std::wstring_view text);

// Leading white space skipped, an optional sign, then ASCII digits up to the
// first other character. No digits gives 0. A value outside the 32-bit range
// saturates at its limit instead of wrapping. Any thread.
int32_t ReadDecimalInteger(std::wstring_view text);

// Like ReadDecimalInteger with an optional fraction and exponent
// ("-12.5e3"). No digits gives 0.0; a value too large for a double gives an
// infinity of its sign. Any thread.
double ReadDecimalDouble(std::wstring_view text);

}  // namespace cw
