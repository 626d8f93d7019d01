// Every reason the engine gives for a failed or stalled run, for people.
// The engine writes its reasons in English into the task list and the
// command line's events, which stay as they are; the window's page and the
// command line's report show them in the user's language by matching them
// against these patterns (%1, %2 standing for the values in them). A new
// reason constant belongs in ReasonTexts(), or it is shown in English.
#pragma once

#include <string>
#include <vector>

namespace cw {

// The reason patterns, English, marked for the catalogue.
const std::vector<const wchar_t*>& ReasonTexts();

// Whether `text` is `pattern` with its %1 ... %9 replaced by some values;
// those values, in the order of their numbers, into *values. A value is never
// empty and runs to the first place where the rest of the pattern matches.
// Pure.
bool MatchPattern(const std::wstring& pattern, const std::wstring& text, std::vector<std::wstring>* values);

// `english`, a reason the engine wrote, in the user's language: the first
// pattern of ReasonTexts() it matches, translated and filled with its values;
// `english` itself when none matches or no catalogue applies.
std::wstring ReasonForPeople(const std::wstring& english);

}  // namespace cw
