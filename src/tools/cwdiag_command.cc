// cwdiag command [--dir PROGRAM_DIR] DEVICE QUALITY INPUT OUTPUT: prints the
// encoder's argument list that a run of INPUT into OUTPUT for the catalog's
// profile DEVICE / QUALITY gets, one argument a line, the encoder first.
// Benchmarks run the bare encoder with exactly these arguments. Messages
// (an unknown profile) are printed as "message: TEXT" lines on standard error.
#include <cstdio>
#include <string>

#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/text.h"
#include "platform/translate.h"
#include "tasks/command_line.h"
#include "tasks/file_object.h"
#include "tools/cwdiag.h"

namespace cw::diag {

int RunCommandLine(const Args& args) {
  Args rest = args;
  if (rest.size() >= 2 && rest[0] == "--dir") {
    std::wstring folder = SystemToWide(rest[1]);
    if (!folder.empty() && folder.back() != L'/') folder += L'/';
    SetProgramFolderForTesting(folder);
    rest.erase(rest.begin(), rest.begin() + 2);
  }
  if (rest.size() != 4) {
    std::fprintf(stderr, "usage: cwdiag command [--dir PROGRAM_DIR] DEVICE QUALITY INPUT OUTPUT\n");
    return 2;
  }
  SetMessageSink([](const std::wstring& text) { std::fprintf(stderr, "message: %s\n", WideToSystem(text).c_str()); });
  ProcessObject run;  // the encoder path of the program folder
  run.targetDevice = SystemToWide(rest[0]);
  run.outputQuality = SystemToWide(rest[1]);
  run.inputPath = SystemToWide(rest[2]);
  run.outputPath = SystemToWide(rest[3]);
  DeviceCatalog catalog;
  std::vector<std::wstring> messages;
  ReadCatalog(CatalogFilePath(), &catalog, &messages);
  const FormatObject* profile = FindQuality(catalog, run.targetDevice, run.outputQuality);
  if (!profile) messages.insert(messages.end(), {Tr(kQualityNotFoundMessage), Tr(kNoProfileMessage)});
  for (const std::wstring& message : messages) ShowMessage(message);
  for (const std::wstring& arg : BuildEncoderCommand(run, profile).argv) std::printf("%s\n", WideToSystem(arg).c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace cw::diag
