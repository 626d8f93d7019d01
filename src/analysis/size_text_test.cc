// Tests of the expected-size text.
#include "analysis/size_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace cw {
namespace {

TEST(FormatSizeText, EveryFormAtItsBoundaries) {
  struct Case {
    double kb;
    const wchar_t* text;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {-1.0, L"..."},
      {0.0, L"..."},
      {-0.0, L"..."},
      {0.1, L"< 1 M"},
      {512, L"< 1 M"},
      {1023.9, L"< 1 M"},
      {1024, L"\u2248 1 M"},
      {1536, L"\u2248 1 M"},
      {2047.9, L"\u2248 1 M"},
      {13882.5, L"\u2248 13 M"},
      {1048575, L"\u2248 1023 M"},
      {1048576, L"\u2248 1 G"},
      {1048577, L"\u2248 1 G 0 M"},
      {1572864, L"\u2248 1 G 512 M"},
      {2097152, L"\u2248 2 G 0 M"},
      {2098176, L"\u2248 2 G 1 M"},
      // An absurd estimate from a garbled bit rate is no estimate.
      {1e30, L"..."},
      {inf, L"..."},
      {-inf, L"..."},
      {std::numeric_limits<double>::quiet_NaN(), L"..."},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSizeText(c.kb), c.text) << c.kb;
}

TEST(FormatSizeText, LargestShownGigabyteCountFits32Bits) {
  // 2^31 - 1 gigabytes and 1023 megabytes, the last size with a text.
  double kb = (2147483647.0 * 1024.0 + 1023.0) * 1024.0 + 1023.0;
  EXPECT_EQ(FormatSizeText(kb), L"\u2248 2147483647 G 1023 M");
  EXPECT_EQ(FormatSizeText(kb + 1.0), L"...");
}

}  // namespace
}  // namespace cw
