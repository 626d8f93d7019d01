// The catalog name of the settings' device.
#include "settings/settings_device.h"

#include "catalog/device_catalog.h"

namespace cw {

std::wstring SettingsDeviceName(const std::wstring& id) {
  const DeviceObject* device = FindDevice(GetDeviceCatalog(), id);  // shows its message on a miss
  return device ? device->name : std::wstring();
}

}  // namespace cw
