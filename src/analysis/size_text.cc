// The expected-size text.
#include "analysis/size_text.h"

#include <cmath>
#include <cstdint>

namespace cw {
namespace {

constexpr wchar_t kAbout[] = L"\u2248 ";
// A size whose gigabyte count does not fit 32 bits is not an estimate worth
// showing (a garbled bit rate); it degrades to "..." like any unusable value.
constexpr double kMegabytesLimit = 2147483648.0 * 1024.0;

}  // namespace

std::wstring FormatSizeText(double size_kb) {
  if (!(size_kb > 0) || !std::isfinite(size_kb)) return L"...";
  double megabytes = size_kb / 1024;
  if (megabytes < 1) return L"< 1 M";
  if (megabytes < 1024) return kAbout + std::to_wstring(static_cast<int32_t>(megabytes)) + L" M";
  if (megabytes == 1024) return std::wstring(kAbout) + L"1 G";
  if (megabytes >= kMegabytesLimit) return L"...";
  int64_t whole = static_cast<int64_t>(megabytes);
  return kAbout + std::to_wstring(whole / 1024) + L" G " + std::to_wstring(whole % 1024) + L" M";
}

}  // namespace cw
