// The forms of config.ini's content.
//
// Plain form: the settings JSON exactly as ToJson() renders it, one byte per
// character, values raw (a path keeps single backslashes). Reading it turns
// every byte into the character with that code and doubles every backslash
// before parsing, so raw Windows-style paths load unchanged. Only values made
// of printable ASCII, without '"', not ending in '\' and without a backslash
// that starts a standard escape (see below) are written this way: those are
// exactly the values this form reads back unchanged.
//
// Escaped form: a UTF-8 byte-order mark, then the settings JSON in UTF-8 with
// every value escaped as strict JSON ('"' as \", '\' as \\, control characters
// as \u00XX). It is read as UTF-8 and parsed as it is. Used whenever a value
// does not fit the plain form (quotes, a trailing backslash, control
// characters, anything outside ASCII). A plain-form file can never begin with
// the mark (those bytes outside a string always made parsing fail), so every
// file that loaded before still loads the same way.
//
// A file without the mark whose bytes are valid UTF-8 and hold at least one
// multi-byte sequence (what any text editor writes for "Vid\u00e9os") is read
// as UTF-8; every other file one byte per character, as before: Latin-1 text
// such as "Vid\xE9os" is never valid UTF-8 and keeps its meaning.
//
// A file without the mark is standard JSON (what another program's JSON
// writer makes), and is parsed as it is, when it holds backslashes and each
// of them starts an escape such a writer uses in a path or a name: \\, \/,
// \uXXXX of a printable character (surrogate pairs join), or \" inside a
// value. Otherwise its backslashes are doubled as in the plain form: the
// plain form's writer never writes a value that would read as escaped, and a
// path typed raw by hand holds a backslash that is no such escape
// ("C:\Videos", "\\server\share"; "C:\new" would be a line break).
#pragma once

#include <string>
#include <string_view>

namespace cw {

// True when `value` reads back unchanged from the plain form.
bool FitsPlainConfigForm(std::wstring_view value);

// `value` escaped for the inside of a JSON string of the escaped form.
std::wstring EscapeConfigValue(std::wstring_view value);

// File bytes of the plain form (characters are expected to be 0..255; others
// become '?') and of the escaped form (the mark, then UTF-8).
std::string EncodePlainConfigForm(std::wstring_view json);
std::string EncodeEscapedConfigForm(std::wstring_view json);

// The content of a config file (its lines joined without line ends) as read:
// `text` is the file's text in characters, `json` the text to parse (the plain
// form with its backslashes doubled, or the escaped form as it is).
struct ConfigFileText {
  std::wstring text;
  std::wstring json;
};
ConfigFileText DecodeConfigFile(std::string_view bytes);

// True when `bytes` is valid UTF-8 (shortest forms, no surrogates, at most
// U+10FFFF) and holds at least one multi-byte sequence.
bool IsMultiByteUtf8(std::string_view bytes);

}  // namespace cw
