// UTF-8 <-> wide text conversion (lossless for names, tolerant for logs,
// always valid for people) and ASCII-only case folding.
#include "platform/text.h"

namespace cw {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Length of the sequence a lead byte announces, 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// How a decoder treats bytes that do not form a character.
enum class BadBytes { kEscape, kReplace };

constexpr wchar_t kEscapeBase = 0xDC00;

void AppendBad(std::wstring& out, std::string_view bad, BadBytes mode) {
  if (mode == BadBytes::kReplace) {
    out += kReplacement;  // one for the whole run
    return;
  }
  for (char b : bad) out += static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(b));
}

// Every run of bad bytes handed to AppendBad starts at a byte that is not
// ASCII and holds only bytes of 0x80 and above, so an escaped run always lies
// in U+DC80-U+DCFF.
std::wstring Decode(std::string_view text, BadBytes mode) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int len = SequenceLength(lead);
    if (len == 1) {
      out += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    if (len == 0 || i + len > text.size()) {
      // Invalid lead byte, or a sequence cut short: check what is there so a
      // truncated sequence counts as one run, as decoders usually do.
      size_t j = i + 1;
      if (len != 0)
        while (j < text.size() && j < i + len && IsContinuation(static_cast<unsigned char>(text[j]))) ++j;
      AppendBad(out, text.substr(i, j - i), mode);
      i = j;
      continue;
    }
    char32_t cp = lead & (0x7F >> len);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char c = static_cast<unsigned char>(text[i + k]);
      // The second byte's range is narrower for some leads (no overlongs, no surrogates, <= U+10FFFF).
      bool in_range = IsContinuation(c);
      if (k == 1) {
        if (lead == 0xE0) in_range = c >= 0xA0 && c <= 0xBF;
        else if (lead == 0xED) in_range = c >= 0x80 && c <= 0x9F;
        else if (lead == 0xF0) in_range = c >= 0x90 && c <= 0xBF;
        else if (lead == 0xF4) in_range = c >= 0x80 && c <= 0x8F;
      }
      if (!in_range) {
        AppendBad(out, text.substr(i, static_cast<size_t>(k)), mode);
        i += static_cast<size_t>(k);
        ok = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) continue;
    AppendCodePoint(&out, cp);
    i += static_cast<size_t>(len);
  }
  return out;
}

// Whether an escaped byte goes out as its byte or as U+FFFD.
enum class Escapes { kAsBytes, kAsReplacement };

std::string Encode(std::wstring_view text, Escapes escapes) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      char32_t low = static_cast<char32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (escapes == Escapes::kAsBytes && IsEscapedByte(static_cast<wchar_t>(cp))) {
      out += static_cast<char>(cp - kEscapeBase);
      continue;
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace

void AppendCodePoint(std::wstring* out, char32_t cp) {
  if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
    *out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
    *out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    return;
  }
  *out += static_cast<wchar_t>(cp);
}

bool SurrogatePairAt(std::wstring_view text, size_t i) {
  if (sizeof(wchar_t) != 2 || i + 1 >= text.size()) return false;
  auto high = static_cast<unsigned long>(text[i]), low = static_cast<unsigned long>(text[i + 1]);
  return high >= 0xD800 && high <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF;
}

bool IsEscapedByte(wchar_t c) {
  auto v = static_cast<unsigned long>(c);
  return v >= 0xDC80 && v <= 0xDCFF;
}

std::wstring SystemToWide(std::string_view bytes) { return Decode(bytes, BadBytes::kEscape); }

std::string WideToSystem(std::wstring_view text) { return Encode(text, Escapes::kAsBytes); }

std::wstring SystemToWideReplacing(std::string_view bytes) { return Decode(bytes, BadBytes::kReplace); }

std::wstring DisplayText(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) {
    if (IsEscapedByte(c)) c = kReplacement;
  }
  return out;
}

std::wstring RestoreEscapedBytes(const std::wstring& shown, const std::wstring& original) {
  return shown != original && shown == DisplayText(original) ? original : shown;
}

std::string WideToDisplayUtf8(std::wstring_view text) { return Encode(text, Escapes::kAsReplacement); }

int AsciiCaseCompare(std::wstring_view a, std::wstring_view b) {
  auto fold = [](wchar_t c) -> long { return (c >= L'A' && c <= L'Z') ? c + (L'a' - L'A') : c; };
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    long ca = fold(a[i]), cb = fold(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += L'\n';
    text += lines[i];
  }
  return text;
}

}  // namespace cw
