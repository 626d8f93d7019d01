// Device and quality ids checked against the catalog; the device list.
#include "cli/device_choice.h"

#include <algorithm>

#include "cli/text_fit.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw::cli {

namespace {

bool SameId(const std::wstring& a, const std::wstring& b) { return AsciiCaseCompare(a, b) == 0; }

// A device whose id matches, and any later device with the same id (the
// catalog's quality lookup searches them in order).
std::vector<const DeviceObject*> DevicesWithId(const DeviceCatalog& catalog, const std::wstring& id) {
  std::vector<const DeviceObject*> found;
  for (const auto& device : catalog.devices) {
    if (SameId(device.id, id)) found.push_back(&device);
  }
  return found;
}

std::wstring JoinIds(const std::vector<std::wstring>& ids) {
  std::vector<std::wstring> unique;
  for (const auto& id : ids) {
    if (std::find(unique.begin(), unique.end(), id) == unique.end()) unique.push_back(id);
  }
  std::wstring out;
  for (const auto& id : unique) out += (out.empty() ? L"" : L", ") + id;
  return out.empty() ? Tr(L"(none)") : out;
}

}  // namespace

std::wstring CheckProfile(const DeviceCatalog& catalog, const ProfileIds& ids, const std::wstring& device_source,
                          const std::wstring& quality_source) {
  std::vector<const DeviceObject*> devices = DevicesWithId(catalog, ids.targetDevice);
  if (devices.empty()) {
    std::vector<std::wstring> valid;
    for (const auto& device : catalog.devices) valid.push_back(device.id);
    return Fill(Tr(L"unknown device '%1' (from %2); valid devices: %3 (see --list-devices)"),
                {ids.targetDevice, device_source, JoinIds(valid)});
  }
  std::vector<std::wstring> valid;
  for (const DeviceObject* device : devices) {
    for (const auto& format : device->formats) {
      if (SameId(format.id, ids.outputQuality)) return L"";
      valid.push_back(format.id);
    }
  }
  return Fill(Tr(L"unknown quality '%1' (from %2) for device '%3'; valid qualities: %4"),
              {ids.outputQuality, quality_source, devices.front()->id, JoinIds(valid)});
}

std::wstring DeviceListText(const DeviceCatalog& catalog, const ProfileIds& current) {
  // The catalog's texts are data: their control characters (a terminal's
  // escape sequences among them) are shown, never sent to the terminal.
  const auto P = [](const std::wstring& text) { return PrintableText(text); };
  int device_cells = 2, quality_cells = 2, size_cells = 4;
  for (const auto& device : catalog.devices) {
    device_cells = std::max(device_cells, TextCells(P(device.id)));
    for (const auto& format : device.formats) {
      quality_cells = std::max(quality_cells, TextCells(P(format.id)));
      size_cells = std::max(size_cells, TextCells(P(format.solution)));
    }
  }
  std::wstring out;
  bool current_device_marked = false;
  for (const auto& device : catalog.devices) {
    bool is_current = !current_device_marked && SameId(device.id, current.targetDevice);
    current_device_marked = current_device_marked || is_current;
    out += is_current ? L"* " : L"  ";
    out += PadCells(P(device.id), device_cells) + L"  " + P(device.name);
    if (!device.desc.empty()) out += L"  (" + P(device.desc) + L")";
    out += L'\n';
    for (const auto& format : device.formats) {
      bool current_quality = is_current && SameId(format.id, current.outputQuality);
      out += L"    ";
      out += current_quality ? L"* " : L"  ";
      out += PadCells(P(format.id), quality_cells) + L"  " + PadCells(P(format.solution), size_cells) + L"  " +
             Fill(format.crf.empty() ? Tr(L"video %1 kbit/s, audio %2 kbit/s")
                                     : Tr(L"video up to %1 kbit/s, audio %2 kbit/s"),
                  {P(format.videoKBS), P(format.audioBitrate)});
      if (!format.name.empty() && format.name != format.id) out += L"  " + P(format.name);
      out += L'\n';
    }
  }
  if (catalog.devices.empty()) out += Tr(L"(the catalog lists no device)") + L"\n";
  return out;
}

}  // namespace cw::cli
