// Fuzz target: settings JSON texts of any shape through FromJson and ToJson,
// and the settings file's round trip: whatever the values became, the bytes
// Save would write must load back to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/message.h"
#include "platform/text.h"
#include "settings/config_object.h"

namespace {

bool SameValues(const cw::ConfigObject& a, const cw::ConfigObject& b) {
  return a.targetDevice == b.targetDevice && a.outputQuality == b.outputQuality && a.outputDir == b.outputDir &&
         a.conTasks == b.conTasks && a.needShutdown == b.needShutdown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = [] {
    cw::SetMessageSink([](const std::wstring&) {});
    return true;
  }();
  (void)quiet;
  std::string bytes(reinterpret_cast<const char*>(data), size);

  cw::ConfigObject config(L"/nonexistent/config.ini", L"/videos/Clipwright");
  config.ApplyDefaults();
  config.FromJson(cw::SystemToWide(bytes));
  std::wstring json = config.ToJson();
  if (json.empty() || json.front() != L'{' || json.back() != L'}') std::abort();

  std::string file = config.FileBytes();
  if (file.find('\n') != std::string::npos || file.find('\r') != std::string::npos) std::abort();
  // The same default as `config`: an unchanged output folder is not checked again.
  cw::ConfigObject reloaded(L"/nonexistent/config.ini", L"/videos/Clipwright");
  reloaded.ApplyDefaults();
  reloaded.LoadFileText(file);
  if (!SameValues(config, reloaded)) std::abort();

  // The same bytes as a config file of the old kind.
  cw::ConfigObject from_file(L"/nonexistent/config.ini", L"/videos/Clipwright");
  from_file.ApplyDefaults();
  from_file.LoadFileText(bytes);
  from_file.ToJson();
  return 0;
}
