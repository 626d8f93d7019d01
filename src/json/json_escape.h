// Writing text as the inside of a JSON string: the host's JSON texts (the
// task list, the settings for the page) escape their values with this, so a
// file name holding '"', '\' or a line break can never end a value early or
// add members of its own.
#pragma once

#include <string>
#include <string_view>

namespace cw {

// What becomes of a UTF-16 surrogate code unit standing alone in the text
// (wide text carries the bytes of a file name that are not UTF-8 this way).
enum class LoneSurrogates {
  kEscape,       // written as \udcxx, so that the text reads back unchanged
  kReplacement,  // written as U+FFFD, for a reader that must never see one
};

// Appends `text` to *out with '"' and '\' escaped by a backslash and control
// characters (U+0000..U+001F, U+007F) as \u00xx (lower-case hex, as the settings file always had); everything else is copied.
void AppendJsonEscaped(std::wstring* out, std::wstring_view text,
                       LoneSurrogates surrogates = LoneSurrogates::kReplacement);

}  // namespace cw
