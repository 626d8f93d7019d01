// The top-level search that splits containers, with its jump table.
#include "json/json_scan.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace cw::json {
namespace {

constexpr std::uint32_t kUnknown = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kUnclosed = kUnknown - 1;

// The index of the '"' closing the string opened at text[open], or
// kNotFound when `end` comes first. A backslash takes the next character.
std::size_t CloseOfString(std::wstring_view text, std::size_t open, std::size_t end) {
  std::size_t i = open + 1;
  while (i < end) {
    if (text[i] == L'\\') {
      i += 2;
    } else if (text[i] == L'"') {
      return i;
    } else {
      ++i;
    }
  }
  return kNotFound;
}

// The index of the bracket closing the block opened at text[open], counting
// only that kind of bracket and skipping strings; kNotFound when `end` comes
// first.
std::size_t CloseOfBlockByScanning(std::wstring_view text, std::size_t open, std::size_t end) {
  const wchar_t opening = text[open];
  const wchar_t closing = opening == L'[' ? L']' : L'}';
  std::size_t depth = 0;
  std::size_t i = open;
  while (i < end) {
    const wchar_t c = text[i];
    if (c == L'"') {
      i = CloseOfString(text, i, end);
      if (i == kNotFound) return kNotFound;
    } else if (c == opening) {
      ++depth;
    } else if (c == closing && --depth == 0) {
      return i;
    }
    ++i;
  }
  return kNotFound;
}

std::size_t CloseByScanning(std::wstring_view text, std::size_t open, std::size_t end) {
  return text[open] == L'"' ? CloseOfString(text, open, end) : CloseOfBlockByScanning(text, open, end);
}

// One pass from the root: records the close of every string and block that a
// scan starting outside strings meets. Counting the two bracket kinds on two
// separate stacks gives exactly the per-kind counting of the search.
void BuildJumps(JsonSource& source) {
  source.jumpsBuilt = true;
  const std::wstring_view text = source.text;
  if (text.size() >= kUnclosed) return;  // too long to index: searches scan instead
  source.jumps.assign(text.size(), kUnknown);
  std::vector<std::uint32_t> squares;
  std::vector<std::uint32_t> curlies;
  std::size_t i = source.rootBegin;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (c == L'"') {
      std::size_t close = CloseOfString(text, i, text.size());
      source.jumps[i] = close == kNotFound ? kUnclosed : static_cast<std::uint32_t>(close);
      if (close == kNotFound) break;
      i = close;
    } else if (c == L'[') {
      squares.push_back(static_cast<std::uint32_t>(i));
    } else if (c == L'{') {
      curlies.push_back(static_cast<std::uint32_t>(i));
    } else if (c == L']' && !squares.empty()) {
      source.jumps[squares.back()] = static_cast<std::uint32_t>(i);
      squares.pop_back();
    } else if (c == L'}' && !curlies.empty()) {
      source.jumps[curlies.back()] = static_cast<std::uint32_t>(i);
      curlies.pop_back();
    }
    ++i;
  }
  for (std::uint32_t open : squares) source.jumps[open] = kUnclosed;
  for (std::uint32_t open : curlies) source.jumps[open] = kUnclosed;
}

// The close of the string or block opened at `open`, from the table when the
// root scan met it, else by scanning (only reachable when a comment with a
// quote in it has shifted the strings).
std::size_t CloseOf(const JsonSource& source, std::size_t open, std::size_t end) {
  std::uint32_t jump = source.jumps.empty() ? kUnknown : source.jumps[open];
  if (jump == kUnknown) return CloseByScanning(source.text, open, end);
  if (jump == kUnclosed || jump >= end) return kNotFound;
  return jump;
}

template <typename CloseFn>
std::size_t Search(std::wstring_view text, std::size_t from, std::size_t end, wchar_t wanted,
                   CloseFn closeOf) {
  std::size_t i = from;
  while (i < end) {
    const wchar_t c = text[i];
    if (c == wanted) return i;
    if (c == L']' || c == L'}') return kNotFound;
    if (c == L'"' || c == L'[' || c == L'{') {
      i = closeOf(i);
      if (i == kNotFound) return kNotFound;
    }
    ++i;
  }
  return kNotFound;
}

}  // namespace

std::size_t FindTopLevel(JsonSource& source, std::size_t from, std::size_t end, wchar_t wanted) {
  if (!source.jumpsBuilt) BuildJumps(source);
  return Search(source.text, from, end, wanted,
                [&source, end](std::size_t open) { return CloseOf(source, open, end); });
}

std::size_t FindTopLevelByScanning(std::wstring_view text, std::size_t from, std::size_t end,
                                   wchar_t wanted) {
  return Search(text, from, end, wanted,
                [text, end](std::size_t open) { return CloseByScanning(text, open, end); });
}

}  // namespace cw::json
