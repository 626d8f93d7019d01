// Locale-independent number readers for encoder text.
#include "analysis/decimal_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace cw {
namespace {

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Skips white space and reads an optional sign; returns the index after them.
size_t SkipSpaceAndSign(std::wstring_view text, bool* negative) {
  size_t i = 0;
  while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  *negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    *negative = text[i] == L'-';
    ++i;
  }
  return i;
}

// Appends the run of digits starting at *i to *out; returns how many there were.
size_t TakeDigits(std::wstring_view text, size_t* i, std::string* out) {
  size_t count = 0;
  while (*i < text.size() && IsAsciiDigit(text[*i])) {
    out->push_back(static_cast<char>(text[*i]));
    ++*i;
    ++count;
  }
  return count;
}

// For a number that does not fit a double: true when it overflowed, false
// when it underflowed. `mantissa` is digits with an optional '.'.
bool MagnitudeIsLarge(const std::string& mantissa, int32_t exponent) {
  int64_t position = 0;  // decimal position of the first significant digit
  bool in_fraction = false;
  for (char c : mantissa) {
    if (c == '.') {
      in_fraction = true;
    } else if (c != '0') {
      break;
    } else if (in_fraction) {
      --position;
    }
  }
  if (position == 0) {
    size_t point = mantissa.find('.');
    size_t integer_length = point == std::string::npos ? mantissa.size() : point;
    size_t first = mantissa.find_first_not_of('0');
    position = first < integer_length ? static_cast<int64_t>(integer_length - first) : 0;
  }
  return position + exponent > 0;
}

}  // namespace

bool IsAsciiSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

std::wstring_view TrimAsciiSpace(std::wstring_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && IsAsciiSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int32_t ReadDecimalInteger(std::wstring_view text) {
  bool negative = false;
  size_t i = SkipSpaceAndSign(text, &negative);
  // Accumulate as a negative number so that INT32_MIN is reachable.
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  bool saturated = false;
  for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
    if (saturated) continue;
    value = value * 10 - (text[i] - L'0');
    if (value < kMin) saturated = true;
  }
  if (negative) return saturated ? static_cast<int32_t>(kMin) : static_cast<int32_t>(value);
  if (saturated || -value > kMax) return static_cast<int32_t>(kMax);
  return static_cast<int32_t>(-value);
}

double ReadDecimalDouble(std::wstring_view text) {
  bool negative = false;
  size_t i = SkipSpaceAndSign(text, &negative);
  std::string number;
  size_t integer_digits = TakeDigits(text, &i, &number);
  size_t fraction_digits = 0;
  if (i < text.size() && text[i] == L'.') {
    number.push_back('.');
    ++i;
    fraction_digits = TakeDigits(text, &i, &number);
  }
  if (integer_digits + fraction_digits == 0) return 0.0;
  int32_t exponent = 0;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    // The exponent counts only when at least one digit follows its sign.
    size_t j = i + 1;
    if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) ++j;
    if (j < text.size() && IsAsciiDigit(text[j])) exponent = ReadDecimalInteger(text.substr(i + 1));
  }
  number += "e" + std::to_string(exponent);
  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    value = MagnitudeIsLarge(number, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace cw
