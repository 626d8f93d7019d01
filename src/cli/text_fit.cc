// Terminal cell widths and fitting text into them.
#include "cli/text_fit.h"

#include "platform/text.h"

namespace cw::cli {

namespace {

struct Range {
  unsigned long first;
  unsigned long last;
};

// Characters shown two cells wide: Hangul Jamo, CJK and its punctuation,
// Hangul syllables, compatibility ideographs, full-width forms, emoji and the
// supplementary ideographic planes.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Marks drawn over the previous character.
constexpr Range kCombining[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
};

template <size_t N>
bool InRanges(unsigned long v, const Range (&ranges)[N]) {
  for (const Range& r : ranges) {
    if (v >= r.first && v <= r.last) return true;
  }
  return false;
}

constexpr wchar_t kEllipsis = L'\u2026';

}  // namespace

int CharacterCells(wchar_t c) {
  unsigned long v = static_cast<unsigned long>(c);
  if (v < 0x20 || (v >= 0x7F && v < 0xA0)) return 0;
  if (InRanges(v, kCombining)) return 0;
  if (InRanges(v, kWide)) return 2;
  return 1;
}

std::wstring PrintableText(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) {
    unsigned long v = static_cast<unsigned long>(c);
    if (v < 0x20 || (v >= 0x7F && v < 0xA0)) c = L'?';
  }
  return DisplayText(out);
}

std::vector<std::wstring> MessageLines(const std::wstring& prefix, const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t begin = 0;
  while (begin < text.size() || lines.empty()) {
    size_t end = text.find(L'\n', begin);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(prefix + PrintableText(line));
    begin = end + 1;
  }
  return lines;
}

int TextCells(const std::wstring& text) {
  int cells = 0;
  for (wchar_t c : text) cells += CharacterCells(c);
  return cells;
}

std::wstring FitCells(const std::wstring& text, int cells) {
  if (cells <= 0) return L"";
  if (TextCells(text) <= cells) return text;
  std::wstring out;
  int used = 0;
  for (wchar_t c : text) {
    int w = CharacterCells(c);
    if (used + w > cells - 1) break;  // one cell stays for the ellipsis
    out += c;
    used += w;
  }
  out += kEllipsis;
  return out;
}

std::wstring PadCells(const std::wstring& text, int cells) {
  std::wstring out = FitCells(text, cells);
  int used = TextCells(out);
  if (used < cells) out.append(static_cast<size_t>(cells - used), L' ');
  return out;
}

std::wstring PadCellsLeft(const std::wstring& text, int cells) {
  std::wstring out = FitCells(text, cells);
  int used = TextCells(out);
  if (used < cells) out.insert(0, static_cast<size_t>(cells - used), L' ');
  return out;
}

}  // namespace cw::cli
