// Identities from the system's GUID generator (CoCreateGuid, version-4 random).
#include <objbase.h>

#include <cstring>

#include "platform/guid.h"

namespace cw {

bool CreateGuid(Guid* guid) {
  GUID made;
  if (CoCreateGuid(&made) != S_OK) return false;
  guid->data1 = made.Data1;
  guid->data2 = made.Data2;
  guid->data3 = made.Data3;
  std::memcpy(guid->data4, made.Data4, sizeof guid->data4);
  return true;
}

}  // namespace cw
