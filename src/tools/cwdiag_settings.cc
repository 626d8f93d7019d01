// cwdiag settings --dir DIR [--set TEXT]: loads the settings of program folder
// DIR (its config.ini and data.dat), optionally applies a settings JSON text
// and saves, then prints the settings JSON on one line.
#include <cstdio>
#include <optional>

#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/text.h"
#include "settings/config_location.h"
#include "settings/config_object.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

int Usage() {
  std::fprintf(stderr, "usage: cwdiag settings --dir DIR [--set TEXT]\n");
  return 2;
}

}  // namespace

int RunSettings(const Args& args) {
  std::optional<std::string> dir;
  std::optional<std::string> set_text;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size() && !dir) {
      dir = args[++i];
    } else if (args[i] == "--set" && i + 1 < args.size() && !set_text) {
      set_text = args[++i];
    } else {
      return Usage();
    }
  }
  if (!dir || dir->empty()) return Usage();

  PrintMessagesToStdout();
  std::wstring folder = SystemToWide(*dir);
  if (folder.back() != L'/') folder += L'/';
  SetProgramFolderForTesting(folder);

  const MessageSink tell = [](const std::wstring& text) { ShowMessage(text); };
  DeviceCatalog catalog;
  std::vector<std::wstring> catalog_messages;
  ReadCatalog(CatalogFilePath(), &catalog, &catalog_messages);
  ConfigObject config(folder + L"config.ini", DefaultOutputDir(), catalog, tell);
  config.Load();
  for (const std::wstring& message : catalog_messages) tell(message);
  if (set_text) {
    config.FromJson(SystemToWide(*set_text));
    config.Save();
  }
  std::printf("%s\n", WideToSystem(config.ToJson()).c_str());
  return 0;
}

}  // namespace cw::diag
