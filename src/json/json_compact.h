// Internal to the JSON library: compaction of the input text and the root
// check.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cw::json {

// One pass over `input`: drops tab, LF, CR and space outside strings, copies
// strings unchanged (a backslash takes the next character with it), writes
// '#', '//' and '/* */' comments as "#text#", and stops (returning what was
// written so far) at an unterminated string, a stray '/', or any other
// character below ' ' or above '~' outside strings.
std::wstring Compact(std::wstring_view input);

// Index just past the "#...#" comment segments that begin at `from`
// (bounded by `end`).
std::size_t SkipCommentSegments(std::wstring_view text, std::size_t from, std::size_t end);

// The index of the root's opening bracket in a compact text: leading comment
// segments skipped, then '[' ... ']' or '{' ... '}' running to the end.
// Throws std::invalid_argument with an empty message otherwise.
std::size_t FindRoot(std::wstring_view compact);

}  // namespace cw::json
