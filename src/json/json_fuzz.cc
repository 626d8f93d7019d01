// libFuzzer target: any UTF-8 input either fails Parse with
// std::invalid_argument or gives a tree whose every read is consistent; the
// walk, the conversions, copy-on-write and TakeFirst run on every tree.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "json/json_value.h"
#include "json/json_walk.h"
#include "platform/text.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckNode(const cw::JsonValue& value) {
  const std::wstring& text = value.AsString();
  const cw::JsonType type = value.GetType();
  const std::int64_t whole = value.AsInt64();
  const std::int32_t count = value.GetCount();
  Check(type <= cw::JsonObject);
  const bool container = type == cw::JsonArray || type == cw::JsonObject;
  Check(count == (value.end() - value.begin()));
  if (container) {
    Check(text.empty() && whole == 0);
    if (count > 0) {
      const cw::JsonValue& first = *value.begin();
      auto found = value.Find(first.GetName());
      Check(found.has_value() && found->GetName() == first.GetName());
    }
  } else {
    Check(count == 0);
  }
  if (type == cw::JsonBoolean) Check((text == L"true" && whole == 1) || (text == L"false" && whole == 0));
  if (type == cw::JsonNull) Check((text == L"null" || text.empty()) && whole == 0);
}

// Takes every child from a private copy; the source must not change.
void TakeAll(const cw::JsonValue& source) {
  const std::int32_t before = source.GetCount();
  cw::JsonValue copy = source.GetType() == cw::JsonObject ? source.ToArray() : source.ToObject();
  Check(copy.GetCount() == before);
  for (std::int32_t i = 0; i < before; ++i) {
    cw::JsonValue child = copy.TakeFirst();
    if (source.GetType() == cw::JsonObject) Check(child.GetName().empty());
  }
  Check(copy.GetCount() == 0);
  Check(source.GetCount() == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = cw::SystemToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  cw::JsonValue root;
  try {
    root = cw::JsonValue::Parse(text);
  } catch (const std::invalid_argument&) {
    return 0;
  }
  long nodes = 0;
  cw::WalkJson(root, [&nodes](const cw::JsonValue& value, int) {
    CheckNode(value);
    ++nodes;
  });
  TakeAll(root);
  for (cw::JsonValue& child : root) TakeAll(child);
  long again = 0;
  cw::WalkJson(root, [&again](const cw::JsonValue&, int) { ++again; });
  Check(again == nodes);
  return 0;
}
