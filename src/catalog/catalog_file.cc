// Locating, reading and decoding data.dat.
#include "catalog/catalog_file.h"

#include "catalog/catalog_cipher.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {

std::wstring CatalogFilePath() { return DataFolder() + L"data.dat"; }

std::wstring ReadCatalogText(const std::wstring& path, std::vector<std::wstring>* messages) {
  if (!FileExists(path)) {
    messages->push_back(Tr(kCatalogMissingMessage));
    return kNoCatalogText;
  }
  std::string hex;
  if (!ReadWholeTextFile(path, &hex)) {
    messages->push_back(Tr(kCatalogUnreadableMessage));
    return kNoCatalogText;
  }
  std::string cipher_text;
  // An empty file (or one of blank lines) holds no catalog at all: damaged.
  if (!HexToBytes(hex, &cipher_text) || cipher_text.empty()) {
    messages->push_back(Tr(kCatalogDamagedMessage));
    return kNoCatalogText;
  }
  return SystemToWideReplacing(DecryptCatalogBytes(cipher_text));
}


}  // namespace cw
