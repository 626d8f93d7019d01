// JsonValue: the handle, its accessors and copy-on-write.
#include "json/json_value.h"

#include <stdexcept>
#include <utility>

#include "json/json_compact.h"
#include "json/json_node.h"
#include "json/json_text.h"

namespace cw {

JsonValue::JsonValue(const JsonValue& other) noexcept : node_(other.node_) {
  if (node_ != nullptr) ++node_->refCount;
}

JsonValue::JsonValue(JsonValue&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}

JsonValue& JsonValue::operator=(const JsonValue& other) noexcept {
  if (other.node_ != nullptr) ++other.node_->refCount;
  JsonTree::Release(std::exchange(node_, other.node_));
  return *this;
}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
  if (this != &other) JsonTree::Release(std::exchange(node_, std::exchange(other.node_, nullptr)));
  return *this;
}

JsonValue::~JsonValue() { JsonTree::Release(node_); }

JsonValue JsonValue::Parse(std::wstring_view text) {
  auto* source = new JsonSource;
  SourceRef ref(source);
  source->text = json::Compact(text);
  source->rootBegin = json::FindRoot(source->text);
  return JsonValue(JsonTree::MakeNode(ref, source->rootBegin, source->text.size()));
}

JsonType JsonValue::GetType() const noexcept { return node_ != nullptr ? node_->type : JsonNull; }

const std::wstring& JsonValue::GetName() const noexcept {
  return node_ != nullptr ? node_->name : json::EmptyText();
}

const std::wstring& JsonValue::AsString() const {
  if (node_ == nullptr) return json::NullText();
  JsonTree::Convert(node_);
  return node_->fixedText != nullptr ? *node_->fixedText : node_->text;
}

std::int64_t JsonValue::AsInt64() const {
  if (node_ == nullptr) return 0;
  JsonTree::Convert(node_);
  switch (node_->type) {
    case JsonNumber:
    case JsonBoolean:
      return json::TruncateToInt64(node_->number);
    case JsonString:
      return json::TruncateToInt64(json::ReadNumber(node_->text));
    default:
      return 0;
  }
}

std::int32_t JsonValue::GetCount() const {
  if (node_ == nullptr) return 0;
  JsonTree::Convert(node_);
  if (!node_->IsContainer()) return 0;
  const std::size_t count = node_->ChildCount();
  return count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(count);
}

JsonValue* JsonValue::begin() {
  MakePrivate();
  if (node_ == nullptr) return nullptr;
  JsonTree::Convert(node_);
  return node_->IsContainer() ? node_->children.data() + node_->head : nullptr;
}

JsonValue* JsonValue::end() {
  MakePrivate();
  if (node_ == nullptr) return nullptr;
  JsonTree::Convert(node_);
  return node_->IsContainer() ? node_->children.data() + node_->children.size() : nullptr;
}

const JsonValue* JsonValue::begin() const {
  if (node_ == nullptr) return nullptr;
  JsonTree::Convert(node_);
  return node_->IsContainer() ? node_->children.data() + node_->head : nullptr;
}

const JsonValue* JsonValue::end() const {
  if (node_ == nullptr) return nullptr;
  JsonTree::Convert(node_);
  return node_->IsContainer() ? node_->children.data() + node_->children.size() : nullptr;
}

std::optional<JsonValue> JsonValue::Find(std::wstring_view name) const {
  for (const JsonValue& child : *this)
    if (child.GetName() == name) return child;
  return std::nullopt;
}

JsonValue JsonValue::ToObject() const {
  if (node_ != nullptr) JsonTree::Convert(node_);
  if (GetType() == JsonObject) return *this;
  if (GetType() != JsonArray) return JsonValue(JsonTree::MakeEmptyContainer(JsonObject));
  JsonValue copy(JsonTree::CopyNode(node_));
  copy.node_->type = JsonObject;
  return copy;
}

JsonValue JsonValue::ToArray() const {
  if (node_ != nullptr) JsonTree::Convert(node_);
  if (GetType() == JsonArray) return *this;
  if (GetType() != JsonObject) return JsonValue(JsonTree::MakeEmptyContainer(JsonArray));
  JsonValue copy(JsonTree::CopyNode(node_));
  copy.node_->type = JsonArray;
  for (JsonValue& child : copy.node_->children) {
    if (child.node_ == nullptr) continue;
    child.MakePrivate();
    child.node_->name.clear();
  }
  return copy;
}

JsonValue JsonValue::TakeFirst() {
  MakePrivate();
  if (node_ != nullptr) JsonTree::Convert(node_);
  if (node_ == nullptr || !node_->IsContainer() || node_->ChildCount() == 0) throw std::out_of_range("");
  JsonValue first = std::move(node_->children[node_->head++]);
  if (node_->head == node_->children.size()) {
    node_->children.clear();
    node_->head = 0;
  }
  return first;
}

void JsonValue::MakePrivate() {
  if (node_ == nullptr || node_->refCount < 2) return;
  JsonNode* copy = JsonTree::CopyNode(node_);
  --node_->refCount;
  node_ = copy;
}

}  // namespace cw
