// FindDevice and FindQuality: linear scans in catalog order.
#include "catalog/device_catalog.h"
#include "platform/text.h"

namespace cw {
namespace {

bool SameId(const std::wstring& a, const std::wstring& b) { return AsciiCaseCompare(a, b) == 0; }

}  // namespace

const DeviceObject* FindDevice(const DeviceCatalog& catalog, const std::wstring& id) {
  for (const DeviceObject& device : catalog.devices) {
    if (SameId(device.id, id)) return &device;
  }
  return nullptr;
}

const FormatObject* FindQuality(const DeviceCatalog& catalog, const std::wstring& device_id,
                                const std::wstring& quality_id) {
  for (const DeviceObject& device : catalog.devices) {
    if (!SameId(device.id, device_id)) continue;
    for (const FormatObject& format : device.formats) {
      if (SameId(format.id, quality_id)) return &format;
    }
  }
  return nullptr;
}

}  // namespace cw
