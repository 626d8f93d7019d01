// Character-level rules of the JSON reader: unescaping, the number syntax,
// reading numbers in the C locale, and the constant texts.
#include "json/json_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/text.h"

namespace cw::json {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsOctal(wchar_t c) { return c >= L'0' && c <= L'7'; }

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// The value of `count` hex digits at text[at], or -1 when one is not a hex
// digit. The caller has checked that they are inside the text.
long HexDigits(std::wstring_view text, std::size_t at, std::size_t count) {
  long value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    int digit = HexValue(text[at + i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

bool IsHighSurrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Decodes "\uXXXX" at text[i] (the backslash), joining a following low
// surrogate escape. Returns the number of characters used, 0 when the four
// digits are not hex. The caller has checked that six characters are there.
std::size_t DecodeUnicodeEscape(std::wstring_view text, std::size_t i, std::wstring& out) {
  long unit = HexDigits(text, i + 2, 4);
  if (unit < 0) return 0;
  if (IsHighSurrogate(unit) && i + 12 <= text.size() && text[i + 6] == L'\\' && text[i + 7] == L'u') {
    long low = HexDigits(text, i + 8, 4);
    if (IsLowSurrogate(low)) {
      AppendCodePoint(&out, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
      return 12;
    }
  }
  out += static_cast<wchar_t>(unit);
  return 6;
}

wchar_t SimpleEscape(wchar_t c) {
  switch (c) {
    case L'b': return 8;
    case L'f': return 12;
    case L'n': return 10;
    case L'r': return 13;
    case L't': return 9;
    case L'v': return 11;
    default: return c;  // \" \\ \/ and any other character stand for themselves
  }
}

// How many characters (backslash included) the escape at text[i] needs, for
// the forms with digits; 2 for the rest.
std::size_t EscapeLength(wchar_t kind) {
  if (kind == L'u') return 6;
  if (kind == L'x') return 4;
  if (IsOctal(kind)) return 4;
  return 2;
}

}  // namespace

std::wstring Unescape(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    wchar_t c = text[i];
    if (c != L'\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= n || i + EscapeLength(text[i + 1]) > n) {
      out.append(text.substr(i));  // cut short by the end: kept as it is
      break;
    }
    wchar_t kind = text[i + 1];
    if (kind == L'u') {
      std::size_t used = DecodeUnicodeEscape(text, i, out);
      if (used != 0) {
        i += used;
        continue;
      }
    } else if (kind == L'x') {
      long value = HexDigits(text, i + 2, 2);
      if (value >= 0) {
        out += static_cast<wchar_t>(value);
        i += 4;
        continue;
      }
    } else if (IsOctal(kind) && IsOctal(text[i + 2]) && IsOctal(text[i + 3])) {
      out += static_cast<wchar_t>((kind - L'0') * 64 + (text[i + 2] - L'0') * 8 + (text[i + 3] - L'0'));
      i += 4;
      continue;
    }
    out += SimpleEscape(kind);
    i += 2;
  }
  return out;
}

bool IsNumberSyntax(std::wstring_view t) {
  const std::size_t n = t.size();
  if (n == 0) return false;
  bool point = false;
  bool exponent = false;
  std::size_t i = 1;
  const wchar_t first = t[0];
  auto signOrDigit = [](wchar_t c) { return c == L'+' || c == L'-' || IsDigit(c); };
  if (first == L'0') {
    if (n == 1) return true;
    const wchar_t second = t[1];
    if (second == L'.') {
      point = true;
      i = 2;
    } else if (second == L'e' || second == L'E') {
      if (n < 3 || !signOrDigit(t[2])) return false;
      exponent = true;
      i = 3;
    } else if (second >= L'1' && second <= L'7') {
      for (std::size_t k = 1; k < n; ++k)
        if (!IsOctal(t[k])) return false;
      return true;
    } else if (second == L'x') {
      for (std::size_t k = 2; k < n; ++k)
        if (HexValue(t[k]) < 0) return false;
      return true;
    } else {
      return false;
    }
  } else if (first == L'.') {
    point = true;
  } else if (!(first == L'+' || first == L'-' || (first >= L'1' && first <= L'9'))) {
    return false;
  }
  for (; i < n; ++i) {
    const wchar_t c = t[i];
    if (IsDigit(c)) continue;
    if (c == L'.' && !point && !exponent) {
      point = true;
      continue;
    }
    if ((c == L'e' || c == L'E') && !exponent) {
      if (i + 1 >= n || !signOrDigit(t[i + 1])) return false;
      exponent = true;
      ++i;
      continue;
    }
    return false;
  }
  return true;
}

namespace {

bool IsCSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// The decimal exponent the value would have in scientific notation, roughly:
// used only to tell overflow from underflow.
long long Magnitude(std::string_view mantissa, long long exponent) {
  std::size_t point = mantissa.find('.');
  std::string_view whole = mantissa.substr(0, point);
  std::size_t firstNonZero = whole.find_first_not_of('0');
  if (firstNonZero != std::string_view::npos)
    return static_cast<long long>(whole.size() - firstNonZero) + exponent;
  if (point == std::string_view::npos) return exponent;
  std::string_view fraction = mantissa.substr(point + 1);
  std::size_t zeros = fraction.find_first_not_of('0');
  if (zeros == std::string_view::npos) return exponent;
  return exponent - static_cast<long long>(zeros);
}

}  // namespace

double ReadNumber(std::wstring_view text) {
  for (wchar_t c : text)
    if (static_cast<unsigned long>(c) > 255) return 0;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsCSpace(text[i])) ++i;

  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  std::string mantissa;
  std::size_t digits = 0;
  for (; i < n && IsDigit(text[i]); ++i, ++digits) mantissa += static_cast<char>(text[i]);
  if (i < n && text[i] == L'.') {
    mantissa += '.';
    for (++i; i < n && IsDigit(text[i]); ++i, ++digits) mantissa += static_cast<char>(text[i]);
  }
  if (digits == 0) return 0;

  long long exponent = 0;
  std::string exponentText;
  if (i + 1 < n && (text[i] == L'e' || text[i] == L'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (text[j] == L'+' || text[j] == L'-') negativeExponent = text[j++] == L'-';
    if (j < n && IsDigit(text[j])) {
      exponentText = negativeExponent ? "e-" : "e";
      for (; j < n && IsDigit(text[j]); ++j) {
        exponentText += static_cast<char>(text[j]);
        if (exponent < 1000000000LL) exponent = exponent * 10 + (text[j] - L'0');
      }
      if (negativeExponent) exponent = -exponent;
    }
  }

  std::string whole = mantissa + exponentText;
  double value = 0;
  auto result = std::from_chars(whole.data(), whole.data() + whole.size(), value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range)
    value = Magnitude(mantissa, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  else if (result.ec != std::errc())
    value = 0;
  return negative ? -value : value;
}

std::int64_t TruncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exactly representable; every double below it converts safely.
  constexpr double kLimit = 9223372036854775808.0;
  if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (value < -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

const std::wstring& TrueText() {
  static const std::wstring text = L"true";
  return text;
}
const std::wstring& FalseText() {
  static const std::wstring text = L"false";
  return text;
}
const std::wstring& NullText() {
  static const std::wstring text = L"null";
  return text;
}
const std::wstring& EmptyText() {
  static const std::wstring text;
  return text;
}

}  // namespace cw::json
