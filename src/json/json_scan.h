// Internal to the JSON library: the top-level search that splits containers.
//
// The search scans a compact text for a character that stands outside every
// string and nested block: a string runs from '"' to the next unescaped '"';
// a '[' block is skipped by counting only '[' and ']', a '{' block by
// counting only '{' and '}'. It gives up at a ']' or '}' of its own level or
// at the end of the range. Comment segments are not recognised.
//
// Skipping blocks one character at a time would cost O(length x depth) over
// a whole walk; the first search of a source instead records where every
// string and block closes (one pass from the root), so each later skip is a
// single look-up and a whole walk is linear.
#pragma once

#include <cstddef>
#include <string_view>

#include "json/json_node.h"

namespace cw::json {

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The index in [from, end) of the first `wanted` (',' or ':') at the top
// level of source->text, or kNotFound. Builds the source's jump table on
// first use.
std::size_t FindTopLevel(JsonSource& source, std::size_t from, std::size_t end, wchar_t wanted);

// The same search, one character at a time, without the jump table.
std::size_t FindTopLevelByScanning(std::wstring_view text, std::size_t from, std::size_t end,
                                   wchar_t wanted);

}  // namespace cw::json
