// The catalog name of the settings' device, for "targetDeviceDesc".
#pragma once

#include <string>

namespace cw {

// The catalog name of device `id` (ASCII case ignored); "" after showing
// "can't find device!" when the catalog has none. UI thread.
std::wstring SettingsDeviceName(const std::wstring& id);

}  // namespace cw
