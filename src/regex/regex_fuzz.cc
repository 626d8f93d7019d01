// Fuzz target: compile a random pattern (up to 64 code units) and search a
// random text (up to 256 units) with it; the result must be well formed.
// Input layout: flags byte, pattern length byte, start byte, then code units:
// a byte below 0xFF is one unit, 0xFF takes the next two bytes as one 16-bit unit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "regex/pattern.h"

namespace {

constexpr size_t kMaxPattern = 64;
constexpr size_t kMaxText = 256;
constexpr int64_t kStepLimit = 1 << 18;  // keeps exponential patterns from stalling the run

class UnitReader {
 public:
  UnitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool More() const { return at_ < size_; }
  wchar_t Next() {
    uint8_t b = data_[at_++];
    if (b != 0xFF || at_ + 2 > size_) return static_cast<wchar_t>(b);
    wchar_t unit = static_cast<wchar_t>(data_[at_] | (data_[at_ + 1] << 8));
    at_ += 2;
    return unit;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckResult(const cw::CMatchSpansT& r, int length, int start, int highest) {
  if (!r.IsFound()) {
    Check(r.spans.empty());
    return;
  }
  Check(r.HighestGroup() == highest);
  Check(r.spans.size() == static_cast<size_t>(2 + 2 * (highest + 1)));
  Check(r.GroupBegin(0) >= (start < 0 ? 0 : start) && r.GroupEnd(0) <= length);
  for (int g = 0; g <= highest; ++g) {
    int b = r.GroupBegin(g), e = r.GroupEnd(g);
    Check((b == -1) == (e == -1));
    Check(b <= e && e <= length);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  int flags = data[0] & 15;
  size_t pattern_length = data[1] % (kMaxPattern + 1);
  int start = static_cast<int8_t>(data[2]);
  UnitReader reader(data + 3, size - 3);
  std::wstring pattern, text;
  while (pattern.size() < pattern_length && reader.More()) pattern += reader.Next();
  while (text.size() < kMaxText && reader.More()) text += reader.Next();

  cw::CPattern compiled(pattern.c_str(), flags);
  compiled.SetStepLimit(kStepLimit);
  int highest = compiled.HighestGroup();
  int length = static_cast<int>(text.size());
  CheckResult(compiled.Search(text.c_str(), length, start), length, start, highest);
  int terminated = static_cast<int>(std::wstring(text.c_str()).size());
  CheckResult(compiled.Search(text.c_str(), start), terminated, start, highest);
  return 0;
}
