// Writing JSON documents: the task list the page receives, the queue journal
// and the settings file are all built with this writer, so that separators,
// escaping and numbers are written one way.
//
// The text is one line: members and elements are separated by ',' alone, and
// a member's name is followed by ": ". Numbers are written in the C locale
// whatever the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_escape.h"

namespace cw {

// How string values (not member names, which are always escaped) are written.
enum class JsonStrings {
  kEscaped,           // JSON escapes, lone surrogates as U+FFFD: for the page
  kEscapedKeepBytes,  // JSON escapes, lone surrogates as \udcxx: for files read back by us
  kRaw,               // copied unchanged: only for values known to need no escape
};

// Builds one JSON text. Inside an object, every value (a container too) is
// preceded by Key(); in an array or at the top, values follow each other.
// Calls out of that order give text that is not JSON. One thread.
class JsonWriter {
 public:
  explicit JsonWriter(JsonStrings strings = JsonStrings::kEscaped) : strings_(strings) {}

  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::wstring_view name);

  JsonWriter& String(std::wstring_view value);
  JsonWriter& Int(int64_t value);
  // `value` with exactly `decimals` digits after the '.' (as C's "%.*f");
  // null when it is not finite, which JSON cannot write. `decimals` 0..80.
  JsonWriter& Fixed(double value, int decimals);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Room for `chars` characters of text in all, so that a long document
  // grows without copies.
  void Reserve(size_t chars) { out_.reserve(chars); }

  const std::wstring& text() const { return out_; }
  std::wstring Take() { return std::move(out_); }

 private:
  void BeforeValue();
  void AppendAscii(const char* begin, const char* end);

  JsonStrings strings_;
  std::wstring out_;
  // One entry per open container: whether it holds anything yet.
  std::vector<bool> filled_;
  bool after_key_ = false;
};

}  // namespace cw
