// cwdiag devices [PATH]: loads the device catalog from a data.dat file
// (default: the one the program would load) and prints the product texts, the
// devices and, indented by two spaces, their qualities. Messages shown on the
// way are printed as "message: TEXT" lines where they happen.
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "platform/message.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

void PrintDevice(const DeviceObject& device) {
  std::printf("device id=%s name=%s desc=%s\n", Quote(device.id).c_str(), Quote(device.name).c_str(),
              Quote(device.desc).c_str());
  for (const FormatObject& q : device.formats) {
    std::printf("  quality id=%s name=%s desc=%s ext=%s solution=%s videoKBS=%s audioBitrate=%s\n",
                Quote(q.id).c_str(), Quote(q.name).c_str(), Quote(q.desc).c_str(), Quote(q.ext).c_str(),
                Quote(q.solution).c_str(), Quote(q.videoKBS).c_str(), Quote(q.audioBitrate).c_str());
  }
}

}  // namespace

int RunDevices(const Args& args) {
  if (args.size() > 1) {
    std::fprintf(stderr, "usage: cwdiag devices [PATH]\n");
    return 2;
  }
  PrintMessagesToStdout();
  DeviceCatalog catalog;
  std::vector<std::wstring> messages;
  ReadCatalog(args.empty() ? CatalogFilePath() : SystemToWide(args[0]), &catalog, &messages);
  for (const auto& m : messages) ShowMessage(m);
  std::printf("product name=%s version=%s\n", Quote(catalog.product_name).c_str(), Quote(catalog.version).c_str());
  for (const DeviceObject& device : catalog.devices) PrintDevice(device);
  std::fflush(stdout);
  return 0;
}

}  // namespace cw::diag
