// The catalog name of the settings' device.
#include "settings/settings_device.h"

#include "platform/message.h"

namespace cw {

std::wstring SettingsDeviceName(const std::wstring& id) {
  // TODO(catalog): look the id up in the device catalog once it exists.
  (void)id;
  ShowMessage(L"can't find device!");
  return L"";
}

}  // namespace cw
