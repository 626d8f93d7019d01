// Checking the device and quality the command line (or the saved settings)
// names against the catalog, and the --list-devices text.
#pragma once

#include <string>

#include "catalog/device_catalog.h"
#include "settings/config_object.h"

namespace cw::cli {

// Empty when `ids` names a device of the catalog and a quality of that
// device (ids compared as the catalog's lookups compare them, ignoring the
// case of A-Z). Otherwise a message for the user that says which id is
// unknown, where it came from (`device_source` / `quality_source`, e.g.
// "--device" or "config.ini") and lists the valid ids. Shows no message box.
std::wstring CheckProfile(const DeviceCatalog& catalog, const ProfileIds& ids, const std::wstring& device_source,
                          const std::wstring& quality_source);

// The devices of the catalog, one line each ("ID  NAME  (DESC)"), each
// followed by its qualities indented, one line each ("ID  SIZE  video
// N kbit/s, audio N kbit/s  NAME"), ids aligned in columns. The device and
// quality of `current` are marked with '*'.
std::wstring DeviceListText(const DeviceCatalog& catalog, const ProfileIds& current);

}  // namespace cw::cli
