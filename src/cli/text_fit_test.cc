// Cell widths and fitting text into terminal columns.
#include "cli/text_fit.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace cw::cli {
namespace {

TEST(TextFitTest, CellsOfCharacters) {
  struct Case {
    std::wstring text;
    int cells;
  };
  const Case cases[] = {
      {L"", 0},
      {L"clip.avi", 8},
      {L"caf\u00e9", 4},            // precomposed
      {L"cafe\u0301", 4},           // combining accent takes no cell
      {L"\u65e5\u672c.avi", 8},     // two wide ideographs
      {L"\uac00", 2},               // Hangul syllable
      {L"\U0001F600", 2},           // emoji
      {L"a\tb", 2},                 // control characters take none
      {L"\u2248 12 M", 6},          // the size text's sign is narrow
  };
  for (const auto& c : cases) EXPECT_EQ(TextCells(c.text), c.cells) << static_cast<int>(c.text.size());
}

TEST(TextFitTest, PrintableTextDefusesControlCharacters) {
  EXPECT_EQ(PrintableText(L"evil\n\x1b[2J\r\tname\x7f\x9b.avi"), L"evil??[2J??name??.avi");
  EXPECT_EQ(PrintableText(L"caf\u00e9 \u65e5"), L"caf\u00e9 \u65e5");
}

TEST(TextFitTest, MessageLinesKeepTheLinesOfAMessage) {
  const struct {
    const wchar_t* text;
    std::vector<std::wstring> lines;
  } cases[] = {
      {L"one", {L"p: one"}},
      {L"", {L"p: "}},
      {L"first\n(second)\n", {L"p: first", L"p: (second)"}},
      {L"a\r\n\r\nb\tc\x1b", {L"p: a", L"p: ", L"p: b?c?"}},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageLines(L"p: ", c.text), c.lines) << WideToSystem(c.text);
}

TEST(TextFitTest, PrintableTextShowsBytesThatAreNotUtf8AsReplacement) {
  // a\xFF\xFE\n.avi as read from a folder: two escaped bytes and a line break.
  const std::wstring name = {L'a', static_cast<wchar_t>(0xDCFF), static_cast<wchar_t>(0xDCFE), L'\n', L'.', L'a',
                             L'v', L'i'};
  EXPECT_EQ(PrintableText(name), L"a\uFFFD\uFFFD?.avi");
  EXPECT_EQ(TextCells(PrintableText(name)), 8);  // one cell each
}

TEST(TextFitTest, FitAndPad) {
  EXPECT_EQ(FitCells(L"abcdef", 6), L"abcdef");
  EXPECT_EQ(FitCells(L"abcdef", 5), L"abcd\u2026");
  EXPECT_EQ(FitCells(L"abcdef", 1), L"\u2026");
  EXPECT_EQ(FitCells(L"abcdef", 0), L"");
  EXPECT_EQ(FitCells(L"abcdef", -3), L"");
  // A wide character that would straddle the limit is left out whole.
  EXPECT_EQ(FitCells(L"a\u65e5\u672c", 4), L"a\u65e5\u2026");
  EXPECT_EQ(FitCells(L"\u65e5\u672c\u65e5", 4), L"\u65e5\u2026");
  EXPECT_EQ(PadCells(L"ab", 4), L"ab  ");
  EXPECT_EQ(PadCells(L"\u65e5", 3), L"\u65e5 ");
  EXPECT_EQ(PadCells(L"abcdef", 3), L"ab\u2026");
  EXPECT_EQ(PadCellsLeft(L"5.0%", 6), L"  5.0%");
  // Whatever the text, the result takes exactly the cells asked for.
  for (const std::wstring text : {L"", L"x", L"\u65e5\u672c\u65e5\u672c", L"cafe\u0301 noir"}) {
    for (int cells = 1; cells < 12; ++cells) {
      EXPECT_EQ(TextCells(PadCells(text, cells)), cells);
      EXPECT_EQ(TextCells(PadCellsLeft(text, cells)), cells);
      EXPECT_LE(TextCells(FitCells(text, cells)), cells);
    }
  }
}

}  // namespace
}  // namespace cw::cli
