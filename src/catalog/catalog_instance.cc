// The process-wide catalog: loaded once, on first use, never reloaded.
#include <atomic>
#include <mutex>

#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "platform/message.h"

namespace cw {
namespace {

struct LoadedCatalog {
  DeviceCatalog catalog;
  std::vector<std::wstring> messages;  // shown once, after publication
};

std::once_flag load_once;
const LoadedCatalog* loaded = nullptr;
std::atomic<bool> messages_shown{false};

}  // namespace

void LoadCatalog(DeviceCatalog* catalog) {
  std::vector<std::wstring> messages;
  ReadCatalog(CatalogFilePath(), catalog, &messages);
  for (const auto& m : messages) ShowMessage(m);
}

const DeviceCatalog& GetDeviceCatalog() {
  // The load itself shows nothing: a message box runs a nested event loop,
  // and a call from inside it must find the catalog ready, not load again.
  std::call_once(load_once, [] {
    auto* fresh = new LoadedCatalog;  // lives until the process ends
    ReadCatalog(CatalogFilePath(), &fresh->catalog, &fresh->messages);
    loaded = fresh;
  });
  if (!messages_shown.exchange(true)) {
    for (const auto& m : loaded->messages) ShowMessage(m);
  }
  return loaded->catalog;
}

std::wstring GetCatalogText() { return GetDeviceCatalog().text; }

const std::wstring& GetProductName() { return GetDeviceCatalog().product_name; }

const std::wstring& GetProductVersion() { return GetDeviceCatalog().version; }

}  // namespace cw
