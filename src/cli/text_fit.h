// Fitting text into terminal columns: how many cells a text takes, and
// cutting or padding it to a number of cells.
#pragma once

#include <string>
#include <vector>

namespace cw::cli {

// Cells one character takes on a terminal: 0 for combining marks and control
// characters, 2 for wide East Asian characters and emoji, else 1.
int CharacterCells(wchar_t c);

// The text with every control character (C0, DEL, C1: line breaks, tabs,
// the escape that starts terminal commands) replaced by '?', so that a file
// name can neither break a line nor command the terminal, and every byte of a
// name that is not UTF-8 (an escaped byte, platform/text.h) shown as U+FFFD.
std::wstring PrintableText(const std::wstring& text);

// A message of one or more lines (split at LF or CR LF), each line made
// printable and prefixed with `prefix` ("clipwright-cli: "). Empty lines
// between others are kept; a last line break adds no empty line.
std::vector<std::wstring> MessageLines(const std::wstring& prefix, const std::wstring& text);

// Cells of a whole text.
int TextCells(const std::wstring& text);

// The text cut to at most `cells` cells; a text that had to be cut ends in
// "…" (counted within the cells). A non-positive budget gives "".
std::wstring FitCells(const std::wstring& text, int cells);

// FitCells, then padded with spaces on the right to exactly `cells` cells.
std::wstring PadCells(const std::wstring& text, int cells);

// Padded on the left (right-aligned) to `cells` cells, cut first if longer.
std::wstring PadCellsLeft(const std::wstring& text, int cells);

}  // namespace cw::cli
