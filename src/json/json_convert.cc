// Making nodes from compact text and converting them on their first read.
#include <string_view>

#include "json/json_compact.h"
#include "json/json_node.h"
#include "json/json_scan.h"
#include "json/json_text.h"

namespace cw {
namespace {

bool Encloses(std::wstring_view t, wchar_t open, wchar_t close) {
  return t.size() >= 2 && t.front() == open && t.back() == close;
}

void KeepSource(JsonNode* node, const SourceRef& source, std::size_t begin, std::size_t end) {
  node->converted = false;
  node->source = source;
  node->begin = begin;
  node->end = end;
}

// The member name from the raw key [begin, end): leading comments skipped,
// then the first and last characters (the quotes) dropped. A key shorter
// than two characters gives an empty name.
std::wstring NameFromRawKey(std::wstring_view text, std::size_t begin, std::size_t end) {
  begin = json::SkipCommentSegments(text, begin, end);
  if (end - begin < 2) return std::wstring();
  return json::Unescape(text.substr(begin + 1, end - begin - 2));
}

}  // namespace

JsonNode* JsonTree::MakeNode(const SourceRef& source, std::size_t begin, std::size_t end) {
  auto* node = new JsonNode;
  const std::wstring_view t = std::wstring_view(source->text).substr(begin, end - begin);
  if (t.empty()) {
    node->fixedText = &json::EmptyText();
  } else if (Encloses(t, L'"', L'"')) {
    node->type = JsonString;
    KeepSource(node, source, begin, end);
  } else if (t == L"true" || t == L"false") {
    node->type = JsonBoolean;
    node->number = t == L"true" ? 1 : 0;
    node->fixedText = t == L"true" ? &json::TrueText() : &json::FalseText();
  } else if (Encloses(t, L'[', L']')) {
    node->type = JsonArray;
    KeepSource(node, source, begin, end);
  } else if (Encloses(t, L'{', L'}')) {
    node->type = JsonObject;
    KeepSource(node, source, begin, end);
  } else if (json::IsNumberSyntax(t)) {
    node->type = JsonNumber;
    KeepSource(node, source, begin, end);
  } else {
    node->fixedText = &json::NullText();  // `null`, or a text that fits no type
  }
  return node;
}

JsonNode* JsonTree::MakeEmptyContainer(JsonType type) {
  auto* node = new JsonNode;
  node->type = type;
  node->fixedText = &json::EmptyText();
  return node;
}

void JsonTree::BecomeNull(JsonNode* node, const std::wstring* shown) {
  node->type = JsonNull;
  node->number = 0;
  node->text.clear();
  node->fixedText = shown;
  node->children.clear();
  node->head = 0;
}

void JsonTree::Convert(JsonNode* node) {
  if (node->converted) return;
  const std::wstring_view t = node->SourceText();
  switch (node->type) {
    case JsonString:
      node->text = json::Unescape(t.substr(1, t.size() - 2));
      break;
    case JsonNumber:
      node->number = json::ReadNumber(t);
      node->text.assign(t);
      break;
    case JsonArray:
      node->fixedText = &json::EmptyText();
      SplitArray(node);
      break;
    case JsonObject:
      node->fixedText = &json::EmptyText();
      SplitObject(node);
      break;
    default:
      break;
  }
  node->converted = true;
  node->source.Reset();
}

void JsonTree::SplitArray(JsonNode* node) {
  JsonSource& source = *node->source.get();
  const std::wstring_view text = source.text;
  const std::size_t begin = node->begin;
  const std::size_t end = node->end;
  node->children.clear();  // a split cut short by an exception starts afresh
  node->head = 0;
  if (text[begin] != L'[') return BecomeNull(node, &json::EmptyText());
  if (end - begin <= 2) return;
  std::size_t from = begin + 1;
  while (true) {
    const std::size_t comma = json::FindTopLevel(source, from, end, L',');
    const std::size_t pieceEnd = comma == json::kNotFound ? end - 1 : comma;
    if (json::FindTopLevel(source, from, pieceEnd, L':') != json::kNotFound)
      return BecomeNull(node, &json::EmptyText());
    const std::size_t pieceBegin = json::SkipCommentSegments(text, from, pieceEnd);
    node->children.push_back(Adopt(MakeNode(node->source, pieceBegin, pieceEnd)));
    if (comma == json::kNotFound) return;
    from = comma + 1;
  }
}

void JsonTree::SplitObject(JsonNode* node) {
  JsonSource& source = *node->source.get();
  const std::wstring_view text = source.text;
  const std::size_t begin = node->begin;
  const std::size_t end = node->end;
  node->children.clear();
  node->head = 0;
  if (text[begin] != L'{') return BecomeNull(node, &json::EmptyText());
  if (end - begin <= 2) return;
  std::size_t delimiter = begin;
  std::size_t colon = json::FindTopLevel(source, begin + 1, end, L':');
  while (true) {
    if (colon == json::kNotFound) return BecomeNull(node, &json::EmptyText());
    const std::size_t comma = json::FindTopLevel(source, colon + 1, end, L',');
    const std::size_t valueEnd = comma == json::kNotFound ? end - 1 : comma;
    JsonNode* member = MakeNode(node->source, colon + 1, valueEnd);
    node->children.push_back(Adopt(member));
    member->name = NameFromRawKey(text, delimiter + 1, colon);
    if (comma == json::kNotFound) return;
    delimiter = comma;
    colon = json::FindTopLevel(source, comma + 1, end, L':');
  }
}

JsonNode* JsonTree::CopyNode(const JsonNode* node) {
  auto* copy = new JsonNode;
  copy->type = node->type;
  copy->converted = node->converted;
  copy->number = node->number;
  copy->name = node->name;
  copy->text = node->text;
  copy->fixedText = node->fixedText;
  copy->source = node->source;
  copy->begin = node->begin;
  copy->end = node->end;
  copy->children.assign(node->children.begin() + static_cast<std::ptrdiff_t>(node->head), node->children.end());
  return copy;
}

void JsonTree::Release(JsonNode* node) noexcept {
  if (node == nullptr || --node->refCount != 0) return;
  if (node->children.empty()) {
    delete node;
    return;
  }
  // Unlink children before deleting their parent, so that a deep chain is
  // freed in a loop rather than by nested destructor calls.
  std::vector<JsonNode*> dead{node};
  while (!dead.empty()) {
    JsonNode* current = dead.back();
    dead.pop_back();
    for (JsonValue& child : current->children) {
      JsonNode* childNode = child.node_;
      child.node_ = nullptr;
      if (childNode != nullptr && --childNode->refCount == 0) dead.push_back(childNode);
    }
    delete current;
  }
}

}  // namespace cw
