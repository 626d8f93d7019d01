// Fuzz target over the catalog decoder and loader. Each input is used twice:
// as the text of a data.dat file (hex -> bytes -> plaintext -> model), and as
// a catalog plaintext that goes through the cipher and into the model, so the
// model builder sees structured JSON and not only decrypted noise.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/catalog_cipher.h"
#include "catalog/device_catalog.h"
#include "platform/message.h"
#include "platform/text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void ExerciseModel(const std::wstring& text) {
  cw::DeviceCatalog catalog;
  std::vector<std::wstring> messages;
  cw::BuildCatalog(text, &catalog, &messages);
  Check(messages.size() <= 1);
  Check(catalog.text.empty() == (text.size() < cw::kMinCatalogTextLength));
  // Lookups are linear scans; a few dozen devices cover every path.
  const size_t looked_up = std::min<size_t>(catalog.devices.size(), 64);
  for (size_t i = 0; i < looked_up; ++i) {
    const cw::DeviceObject& device = catalog.devices[i];
    const cw::DeviceObject* found = cw::FindDevice(catalog, device.id);
    Check(found != nullptr && cw::AsciiCaseCompare(found->id, device.id) == 0);
    for (const cw::FormatObject& format : device.formats) {
      Check(cw::FindQuality(catalog, device.id, format.id) != nullptr);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    cw::SetMessageSink([](const std::wstring&) {});
    return true;
  }();
  (void)quiet;
  const std::string input(reinterpret_cast<const char*>(data), size);

  // The input as the hex text of data.dat.
  std::string cipher_text;
  if (cw::HexToBytes(input, &cipher_text)) {
    Check(cipher_text.size() <= input.size() / 2 + 1);
    ExerciseModel(cw::SystemToWideReplacing(cw::DecryptCatalogBytes(cipher_text)));
  }

  // The input as a catalog plaintext: the cipher round-trips it up to its
  // first zero byte, and the hex coding round-trips the ciphertext.
  const std::string encrypted = cw::EncryptCatalogBytes(input);
  std::string decoded;
  Check(cw::HexToBytes(cw::BytesToHex(encrypted, 64), &decoded) && decoded == encrypted);
  const std::string plain = cw::DecryptCatalogBytes(encrypted);
  Check(plain == input.substr(0, input.find('\0')));
  ExerciseModel(cw::SystemToWideReplacing(plain));
  return 0;
}
