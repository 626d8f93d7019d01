// make_data_dat: the build step that turns the readable catalog source
// (catalog/catalog.json) into the encrypted catalog file data.dat.
//
// usage: make_data_dat SOURCE.json OUTPUT.dat
//
// The source bytes are padded with zero bytes to whole 8-byte blocks,
// encrypted with the catalog cipher and written as upper-case hex, 64 digits
// a line. The source is checked first: it must load as a catalog without any
// message and list at least one device, so a broken source fails the build
// instead of shipping a catalog the program cannot read.
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/catalog_cipher.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/program_start.h"
#include "platform/text.h"

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "make_data_dat: %s\n", text.c_str());
  return 1;
}

// Returns an empty text when the source is a usable catalog, else the reason.
std::string CheckSource(const std::string& source) {
  if (source.find('\0') != std::string::npos) return "the source holds a zero byte, which would cut the catalog short";
  std::vector<std::wstring> messages;
  cw::DeviceCatalog catalog;
  cw::BuildCatalog(cw::SystemToWideReplacing(source), &catalog, &messages);
  if (!messages.empty()) return "the source does not load as a catalog: " + cw::WideToSystem(messages.front());
  if (catalog.devices.empty()) return "the source lists no devices";
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = cw::StartProgram(argc, argv);
  if (args.size() != 2) return Fail("usage: make_data_dat SOURCE.json OUTPUT.dat");
  const std::wstring source_path = cw::SystemToWide(args[0]);
  const std::wstring output_path = cw::SystemToWide(args[1]);
  std::string source;
  if (!cw::ReadFileBytes(source_path, &source)) return Fail("cannot read " + args[0]);
  const std::string problem = CheckSource(source);
  if (!problem.empty()) return Fail(args[0] + ": " + problem);
  const std::string hex = cw::BytesToHex(cw::EncryptCatalogBytes(cw::PadToWholeBlocks(source)), 64);
  if (!cw::WriteFileBytes(output_path, hex)) return Fail("cannot write " + args[1]);
  return 0;
}
