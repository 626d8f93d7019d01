// cwdiag catalog [PATH]: prints the decoded catalog text of a data.dat file
// (default: the one the program would load) exactly as decoded, in UTF-8.
// Messages shown on the way come first, as "message: TEXT" lines.
#include <cstdio>

#include "catalog/catalog_file.h"
#include "platform/message.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {

int RunCatalog(const Args& args) {
  if (args.size() > 1) {
    std::fprintf(stderr, "usage: cwdiag catalog [PATH]\n");
    return 2;
  }
  PrintMessagesToStdout();
  std::vector<std::wstring> messages;
  const std::wstring text = ReadCatalogText(args.empty() ? CatalogFilePath() : SystemToWide(args[0]), &messages);
  for (const std::wstring& message : messages) ShowMessage(message);
  const std::string out = WideToSystem(text);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  return 0;
}

}  // namespace cw::diag
