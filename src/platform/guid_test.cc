// Tests of the system's random identities.
#include "platform/guid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace cw {
namespace {

TEST(CreateGuid, GivesDistinctVersionFourIdentities) {
  std::set<std::string> seen;
  int bits_set[128] = {};
  const int kCount = 1000;
  for (int i = 0; i < kCount; ++i) {
    Guid guid;
    ASSERT_TRUE(CreateGuid(&guid));
    EXPECT_EQ(guid.data3 >> 12, 4) << "version nibble";
    EXPECT_EQ(guid.data4[0] >> 6, 2) << "variant bits";
    unsigned char raw[16];
    std::memcpy(raw, &guid.data1, 4);
    std::memcpy(raw + 4, &guid.data2, 2);
    std::memcpy(raw + 6, &guid.data3, 2);
    std::memcpy(raw + 8, guid.data4, 8);
    EXPECT_TRUE(seen.insert(std::string(reinterpret_cast<char*>(raw), 16)).second);
    for (int b = 0; b < 128; ++b) bits_set[b] += (raw[b / 8] >> (b % 8)) & 1;
  }
  // Outside the six fixed bits every bit must vary: a generator that leaves
  // a part zero or constant fails here.
  int varying = 0;
  for (int b = 0; b < 128; ++b) varying += bits_set[b] > 0 && bits_set[b] < kCount;
  EXPECT_EQ(varying, 122);
}

}  // namespace
}  // namespace cw
