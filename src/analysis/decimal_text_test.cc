// Tests of the number readers.
#include "analysis/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace cw {
namespace {

TEST(ReadDecimalInteger, LeadingNumberOfTheText) {
  struct Case {
    const wchar_t* text;
    int32_t value;
  };
  const Case cases[] = {
      {L"25", 25},
      {L"29.97", 29},
      {L"  \t100 fps", 100},
      {L"+7", 7},
      {L"-12x", -12},
      {L"", 0},
      {L"   ", 0},
      {L"abc", 0},
      {L"-", 0},
      {L"0042", 42},
      {L"2147483647", 2147483647},
      {L"2147483648", 2147483647},
      {L"99999999999999999999", 2147483647},
      {L"-2147483648", -2147483647 - 1},
      {L"-99999999999999999999", -2147483647 - 1},
      {L"\u0661\u0662", 0},  // digits of other scripts are not read
  };
  for (const Case& c : cases) EXPECT_EQ(ReadDecimalInteger(c.text), c.value) << std::wstring(c.text).size();
}

TEST(ReadDecimalDouble, LeadingNumberOfTheText) {
  struct Case {
    const wchar_t* text;
    double value;
  };
  const Case cases[] = {
      {L"524.3", 524.3},
      {L" 1234.5kbits/s", 1234.5},
      {L".5", 0.5},
      {L"7.", 7.0},
      {L".", 0.0},
      {L"", 0.0},
      {L"1.2.3", 1.2},
      {L"-2.5e2", -250.0},
      {L"3e", 3.0},
      {L"3e+", 3.0},
      {L"3E-1x", 0.3},
      {L"+0.25", 0.25},
      {L"99999999999999999999", 1e20},
      {L"1e400", std::numeric_limits<double>::infinity()},
      {L"-1e400", -std::numeric_limits<double>::infinity()},
      {L"1e-400", 0.0},
      {L"0.0001e-400", 0.0},
      {L"1e99999999999", std::numeric_limits<double>::infinity()},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadDecimalDouble(c.text), c.value) << std::wstring(c.text).size();
}

TEST(TrimAsciiSpace, BothEnds) {
  EXPECT_EQ(TrimAsciiSpace(L"  100 "), L"100");
  EXPECT_EQ(TrimAsciiSpace(L"\r\n\t1 2\v\f"), L"1 2");
  EXPECT_EQ(TrimAsciiSpace(L"    "), L"");
  EXPECT_EQ(TrimAsciiSpace(L""), L"");
}

}  // namespace
}  // namespace cw
