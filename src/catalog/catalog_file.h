// Reading the catalog file data.dat into the catalog's JSON text.
//
// The file is hexadecimal text (see catalog_cipher.h for the exact rules);
// its bytes are the catalog JSON encrypted with the program's cipher. The file
// is only ever opened for reading.
#pragma once

#include <string>
#include <vector>

#include "platform/translate.h"

namespace cw {

// Messages of the file level, shown exactly like this in English (and in the
// user's language where a catalogue has them).
inline constexpr wchar_t kCatalogMissingMessage[] = N_(L"Please re-install program, it loses some files.");
inline constexpr wchar_t kCatalogUnreadableMessage[] = N_(L"Can't read data.dat, please re-install program.");
inline constexpr wchar_t kCatalogDamagedMessage[] = N_(L"data.dat is damaged, please re-install program.");

// The text returned when no catalog could be read. Too short to be a catalog.
inline constexpr wchar_t kNoCatalogText[] = L"{}";

// Where the catalog file is looked for: ProgramFolder() + "data.dat", or,
// when that does not exist, ProgramFolder() + "../share/clipwright/data.dat"
// (an installed program). When neither exists, the first path. Any thread.
std::wstring CatalogFilePath();

// Reads and decodes the catalog file at `path` and returns its JSON text
// (UTF-8 plaintext converted to wide text, cut at the first zero byte).
// Instead of showing messages it appends them to *messages:
//   - no file at path:                    kCatalogMissingMessage, returns "{}"
//   - exists but cannot be read:          kCatalogUnreadableMessage, returns "{}"
//   - a character that is neither a hex digit nor ASCII whitespace, or no
//     hex digit at all (an empty file):   kCatalogDamagedMessage, returns "{}"
// Any thread.
std::wstring ReadCatalogText(const std::wstring& path, std::vector<std::wstring>* messages);

}  // namespace cw
