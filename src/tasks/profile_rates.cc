// Target bit rates of quality profiles.
#include "tasks/profile_rates.h"

#include <charconv>
#include <cmath>

#include "catalog/device_catalog.h"

namespace cw {

double RateOfText(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) {
    if (c > 127) return -1;
    narrow += static_cast<char>(c);
  }
  double value = -1;
  auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (result.ec != std::errc() || result.ptr != narrow.data() + narrow.size() || !std::isfinite(value) || value <= 0) {
    return -1;
  }
  return value;
}

void ProfileRates(const DeviceCatalog& catalog, const std::wstring& device_id, const std::wstring& quality_id,
                  double* video_kbps, double* audio_kbps) {
  *video_kbps = -1;
  *audio_kbps = -1;
  if (const FormatObject* format = FindQuality(catalog, device_id, quality_id)) {
    *video_kbps = RateOfText(format->videoKBS);
    *audio_kbps = RateOfText(format->audioBitrate);
  }
}

}  // namespace cw
