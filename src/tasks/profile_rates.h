// The target bit rates of a task's quality profile, looked up in the device
// catalog (the refresh asks on every tick).
#pragma once

#include <string>

namespace cw {

struct DeviceCatalog;  // catalog/device_catalog.h

// Sets *video_kbps and *audio_kbps from the quality `quality_id` of the
// device `device_id` (ids compared as the catalog does); each stays -1 when
// the profile or its number is missing. Any thread.
void ProfileRates(const DeviceCatalog& catalog, const std::wstring& device_id, const std::wstring& quality_id,
                  double* video_kbps, double* audio_kbps);

// The same from one catalog quality's texts ("500"): -1 for what is no number.
double RateOfText(const std::wstring& text);

}  // namespace cw
