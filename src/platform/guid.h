// Globally unique identities: 128 random bits from the operating system, laid
// out like a Windows GUID so that they print in the familiar form.
#pragma once

#include <cstdint>

namespace cw {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};
};

// Fills *guid with fresh random bits from the kernel's generator and marks it
// as a version-4 (random) identity with the RFC 4122 variant, as the Windows
// generator does. Returns false, leaving *guid unspecified, when the system
// cannot supply random bytes. Any thread.
bool CreateGuid(Guid* guid);

}  // namespace cw
