// Internal to the JSON library: the character-level rules: unescaping,
// the number syntax check, reading a decimal number, and the constant texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cw::json {

// Replaces backslash escapes (\" \\ \/ \b \f \n \r \t \v, \uXXXX with
// surrogate pairs joined, \xXX, \ooo octal, \c for any other c). An escape
// whose digits would run past the end of `text` is kept literally, backslash
// included; \u, \x or an octal escape followed by characters that are not its
// digits reads as the letter (or digit) after the backslash.
std::wstring Unescape(std::wstring_view text);

// True when `text` passes the number automaton: sign / digits / point /
// exponent forms, plus the octal (0[1-7][0-7]*) and hex (0x[0-9A-Fa-f]*)
// forms. Accepts loose forms such as "-", "." and "1e+".
bool IsNumberSyntax(std::wstring_view text);

// Reads the longest leading decimal floating-point number of `text` (after
// C whitespace), in the C locale; no hex, infinity or NaN forms. An empty
// part reads as 0, and so does any text holding a character above code 255.
// Out-of-range values read as +-infinity or 0.
double ReadNumber(std::wstring_view text);

// Truncates toward zero, saturating at the int64 limits; NaN gives 0.
std::int64_t TruncateToInt64(double value);

// The constant texts, made on first use.
const std::wstring& TrueText();
const std::wstring& FalseText();
const std::wstring& NullText();
const std::wstring& EmptyText();

}  // namespace cw::json
