// The JSON writer: separators, escaped strings and C-locale numbers.
#include "json/json_writer.h"

#include <charconv>
#include <cmath>

namespace cw {

void JsonWriter::BeforeValue() {
  if (after_key_) {  // the member's separator came with its name
    after_key_ = false;
    return;
  }
  if (filled_.empty()) return;
  if (filled_.back()) out_ += L',';
  filled_.back() = true;
}

void JsonWriter::AppendAscii(const char* begin, const char* end) {
  for (const char* p = begin; p != end; ++p) out_ += static_cast<wchar_t>(*p);
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  out_ += L'{';
  filled_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  out_ += L'}';
  filled_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  BeforeValue();
  out_ += L'[';
  filled_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  out_ += L']';
  filled_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::wstring_view name) {
  BeforeValue();
  out_ += L'"';
  AppendJsonEscaped(&out_, name);
  out_ += L"\": ";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view value) {
  BeforeValue();
  out_ += L'"';
  switch (strings_) {
    case JsonStrings::kEscaped: AppendJsonEscaped(&out_, value, LoneSurrogates::kReplacement); break;
    case JsonStrings::kEscapedKeepBytes: AppendJsonEscaped(&out_, value, LoneSurrogates::kEscape); break;
    case JsonStrings::kRaw: out_ += value; break;
  }
  out_ += L'"';
  return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
  BeforeValue();
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  AppendAscii(buffer, result.ptr);
  return *this;
}

JsonWriter& JsonWriter::Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return Null();
  BeforeValue();
  char buffer[400];  // DBL_MAX has 309 digits before the point
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    out_ += L"null";
    return *this;
  }
  AppendAscii(buffer, result.ptr);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? L"true" : L"false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += L"null";
  return *this;
}

}  // namespace cw
