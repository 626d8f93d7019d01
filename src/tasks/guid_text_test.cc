// Tests of task identity texts.
#include "tasks/guid_text.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "tasks/file_object.h"

namespace cw {
namespace {

TEST(FormatGuidText, UpperCaseExceptTheThirdGroup) {
  Guid guid;
  guid.data1 = 0x6A1F0C3E;
  guid.data2 = 0x58B2;
  guid.data3 = 0x4C7D;
  const uint8_t tail[8] = {0xA1, 0xE4, 0x0F, 0x9B, 0x2D, 0x3C, 0x4E, 0x5F};
  std::copy(tail, tail + 8, guid.data4);
  EXPECT_EQ(FormatGuidText(guid), L"{6A1F0C3E-58B2-4c7d-A1E4-0F9B2D3C4E5F}");
  Guid zero;
  EXPECT_EQ(FormatGuidText(zero), L"{00000000-0000-0000-0000-000000000000}");
}

// The shape every identity has: 38 characters, braces, dashes at fixed places,
// upper-case hex digits except lower-case ones in the third group.
void ExpectIdentityShape(const std::wstring& text) {
  ASSERT_EQ(text.size(), 38u) << text;
  EXPECT_EQ(text.front(), L'{');
  EXPECT_EQ(text.back(), L'}');
  for (size_t i = 1; i < 37; ++i) {
    wchar_t c = text[i];
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      EXPECT_EQ(c, L'-') << text;
      continue;
    }
    bool third_group = i >= 15 && i < 19;
    bool ok = (c >= L'0' && c <= L'9') || (third_group ? (c >= L'a' && c <= L'f') : (c >= L'A' && c <= L'F'));
    EXPECT_TRUE(ok) << "character " << i << " of " << text;
  }
}

TEST(MakeGuidText, GivesDistinctWellFormedRandomIdentities) {
  std::set<std::wstring> seen;
  for (int i = 0; i < 2000; ++i) {
    std::wstring text = MakeGuidText();
    ExpectIdentityShape(text);
    EXPECT_EQ(text[15], L'4') << "version-4 identity expected: " << text;
    EXPECT_TRUE(seen.insert(text).second) << "repeated identity " << text;
  }
}

TEST(MakeGuidText, RetriesAFailingGenerator) {
  int calls = 0;
  std::wstring text = MakeGuidTextFrom([&calls](Guid* guid) {
    ++calls;
    if (calls < 3) return false;
    guid->data1 = 0x12345678;
    return true;
  });
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(text, L"{12345678-0000-0000-0000-000000000000}");
}

TEST(MakeGuidText, BrokenGeneratorStillGivesUniqueIdentities) {
  int calls = 0;
  auto broken = [&calls](Guid* guid) {
    ++calls;
    guid->data1 = 0xDEADBEEF;  // what it leaves behind must not be used
    return false;
  };
  std::set<std::wstring> seen;
  for (int i = 0; i < 500; ++i) {
    std::wstring text = MakeGuidTextFrom(broken);
    ExpectIdentityShape(text);
    EXPECT_TRUE(seen.insert(text).second) << "repeated identity " << text;
  }
  EXPECT_EQ(calls, 500 * kGuidAttempts);
}

}  // namespace
}  // namespace cw
