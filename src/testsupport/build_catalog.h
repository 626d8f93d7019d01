// The device catalog the build generates (data.dat in the build folder), read
// once for the tests that need real profiles. Header only: the test binaries
// that include it link the catalog library.
#pragma once

#include "catalog/device_catalog.h"
#include "platform/text.h"

namespace cw::testing {

inline const DeviceCatalog& BuildCatalog() {
  static const DeviceCatalog* catalog = [] {
    auto* read = new DeviceCatalog;
    std::vector<std::wstring> messages;
    ReadCatalog(SystemToWide(std::string(CW_BUILD_DIR) + "/data.dat"), read, &messages);
    return read;
  }();
  return *catalog;
}

}  // namespace cw::testing
