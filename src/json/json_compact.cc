// Compaction of the input text and the root check.
#include "json/json_compact.h"

#include <stdexcept>

namespace cw::json {
namespace {

bool IsDroppedSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

bool StopsCompaction(wchar_t c) {
  auto code = static_cast<unsigned long>(c);
  return code < 32 || code > 126;
}

// Copies the string that starts at input[i] (a '"'). Returns the index past
// its closing quote, or input.size() when the text ends inside it.
std::size_t CopyString(std::wstring_view input, std::size_t i, std::wstring& out, bool& closed) {
  const std::size_t n = input.size();
  out += input[i++];
  while (i < n) {
    wchar_t c = input[i++];
    out += c;
    if (c == L'"') {
      closed = true;
      return i;
    }
    if (c == L'\\') {
      if (i >= n) break;
      out += input[i++];
    }
  }
  closed = false;
  return n;
}

// Writes the line comment whose text starts at input[i] as "#text#" and
// returns the index past its line feed.
std::size_t CopyLineComment(std::wstring_view input, std::size_t i, std::wstring& out) {
  std::size_t lineEnd = input.find(L'\n', i);
  if (lineEnd == std::wstring_view::npos) lineEnd = input.size();
  out += L'#';
  out.append(input.substr(i, lineEnd - i));
  out += L'#';
  return lineEnd < input.size() ? lineEnd + 1 : lineEnd;
}

}  // namespace

std::wstring Compact(std::wstring_view input) {
  std::wstring out;
  out.reserve(input.size());
  const std::size_t n = input.size();
  std::size_t i = 0;
  while (i < n) {
    const wchar_t c = input[i];
    const wchar_t next = i + 1 < n ? input[i + 1] : L'\0';
    if (IsDroppedSpace(c)) {
      ++i;
    } else if (c == L'"') {
      bool closed = false;
      i = CopyString(input, i, out, closed);
      if (!closed) return out;
    } else if (c == L'#') {
      i = CopyLineComment(input, i + 1, out);
    } else if (c == L'/' && next == L'/') {
      i = CopyLineComment(input, i + 2, out);
    } else if (c == L'/' && next == L'*') {
      std::size_t close = input.find(L"*/", i + 2);
      std::size_t textEnd = close == std::wstring_view::npos ? n : close;
      out += L'#';
      out.append(input.substr(i + 2, textEnd - (i + 2)));
      out += L'#';
      if (close == std::wstring_view::npos) return out;
      i = close + 2;
    } else if (c == L'/' || StopsCompaction(c)) {
      return out;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::size_t SkipCommentSegments(std::wstring_view text, std::size_t from, std::size_t end) {
  std::size_t i = from;
  while (i < end && text[i] == L'#') {
    std::size_t close = text.find(L'#', i + 1);
    if (close == std::wstring_view::npos || close >= end) return end;
    i = close + 1;
  }
  return i;
}

std::size_t FindRoot(std::wstring_view compact) {
  std::size_t start = SkipCommentSegments(compact, 0, compact.size());
  if (start + 1 < compact.size()) {
    const wchar_t open = compact[start];
    const wchar_t last = compact.back();
    if ((open == L'[' && last == L']') || (open == L'{' && last == L'}')) return start;
  }
  throw std::invalid_argument("");
}

}  // namespace cw::json
