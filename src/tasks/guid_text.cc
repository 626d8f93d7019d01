// Task identity texts.
#include "tasks/guid_text.h"

#include <atomic>
#include <chrono>
#include <cstdint>

#include "tasks/file_object.h"

namespace cw {
namespace {

void AppendHex(std::wstring* out, uint64_t value, int digits, bool upper) {
  const wchar_t* hex = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out += hex[(value >> shift) & 0xF];
}

// An identity made without the system's generator: nanoseconds of the clock
// in the first parts, a process-wide counter in the last bytes, so no two
// calls in one process give the same identity.
Guid FallbackGuid() {
  static std::atomic<uint64_t> counter{0};
  uint64_t count = ++counter;
  auto now = std::chrono::system_clock::now().time_since_epoch();
  uint64_t nanos = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  Guid guid;
  guid.data1 = static_cast<uint32_t>(nanos >> 32);
  guid.data2 = static_cast<uint16_t>(nanos >> 16);
  guid.data3 = static_cast<uint16_t>(nanos);
  for (int i = 0; i < 8; ++i) guid.data4[i] = static_cast<uint8_t>(count >> (56 - 8 * i));
  return guid;
}

}  // namespace

std::wstring FormatGuidText(const Guid& guid) {
  std::wstring text;
  text.reserve(38);
  text += L'{';
  AppendHex(&text, guid.data1, 8, true);
  text += L'-';
  AppendHex(&text, guid.data2, 4, true);
  text += L'-';
  AppendHex(&text, guid.data3, 4, false);
  text += L'-';
  AppendHex(&text, guid.data4[0], 2, true);
  AppendHex(&text, guid.data4[1], 2, true);
  text += L'-';
  for (int i = 2; i < 8; ++i) AppendHex(&text, guid.data4[i], 2, true);
  text += L'}';
  return text;
}

std::wstring MakeGuidTextFrom(const GuidSource& source) {
  for (int attempt = 0; attempt < kGuidAttempts; ++attempt) {
    Guid guid;
    if (source(&guid)) return FormatGuidText(guid);
  }
  return FormatGuidText(FallbackGuid());
}

std::wstring MakeGuidText() { return MakeGuidTextFrom(CreateGuid); }

}  // namespace cw
