// Internal to the JSON library: the shared node behind JsonValue, the
// compacted source text that unconverted nodes point into, and JsonTree, the
// one place that builds, converts, copies and releases nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_value.h"

namespace cw {

// The compacted text of one Parse, shared by every node made from it.
// `jumps` caches, for each opening '"', '[' or '{' met by a scan from the
// root, where its string or block closes (see json_scan.h).
struct JsonSource {
  std::wstring text;
  std::vector<std::uint32_t> jumps;
  std::size_t rootBegin = 0;
  bool jumpsBuilt = false;
  std::uint32_t refCount = 0;
};

// An owning, non-atomic reference to a JsonSource.
class SourceRef {
 public:
  SourceRef() noexcept = default;
  explicit SourceRef(JsonSource* source) noexcept : source_(source) { Retain(); }
  SourceRef(const SourceRef& other) noexcept : source_(other.source_) { Retain(); }
  SourceRef& operator=(const SourceRef& other) noexcept {
    SourceRef copy(other);
    std::swap(source_, copy.source_);
    return *this;
  }
  ~SourceRef() { Reset(); }

  void Reset() noexcept {
    if (source_ && --source_->refCount == 0) delete source_;
    source_ = nullptr;
  }
  JsonSource* get() const noexcept { return source_; }
  JsonSource* operator->() const noexcept { return source_; }
  explicit operator bool() const noexcept { return source_ != nullptr; }

 private:
  void Retain() noexcept {
    if (source_) ++source_->refCount;
  }
  JsonSource* source_ = nullptr;
};

// One JSON value. Until `converted`, a string, number, array or object keeps
// its compact source text as the range [begin, end) of `source`. Once
// converted, AsString() shows `fixedText` when set (a constant text), else
// `text`. Children taken with TakeFirst sit before `head` as empty handles.
struct JsonNode {
  std::uint32_t refCount = 1;
  JsonType type = JsonNull;
  bool converted = true;
  double number = 0;
  std::wstring name;
  std::wstring text;
  const std::wstring* fixedText = nullptr;
  SourceRef source;
  std::size_t begin = 0;
  std::size_t end = 0;
  std::vector<JsonValue> children;
  std::size_t head = 0;

  std::wstring_view SourceText() const {
    return std::wstring_view(source->text).substr(begin, end - begin);
  }
  std::size_t ChildCount() const { return children.size() - head; }
  bool IsContainer() const { return type == JsonArray || type == JsonObject; }
};

// Node operations that need access to JsonValue's node pointer.
class JsonTree {
 public:
  static JsonValue Adopt(JsonNode* node) noexcept { return JsonValue(node); }

  // Makes the node for the compact text [begin, end) of `source` (the rules
  // that pick a type from the first and last characters). The name is left
  // empty.
  static JsonNode* MakeNode(const SourceRef& source, std::size_t begin, std::size_t end);

  // A new, converted, empty array or object.
  static JsonNode* MakeEmptyContainer(JsonType type);

  // Converts the node on its first read: unescapes a string, reads a number,
  // splits a container into its children. Does nothing the second time.
  static void Convert(JsonNode* node);

  // A new node with the same content; the children handles are shared, so
  // each child is copied in its turn only when it is changed.
  static JsonNode* CopyNode(const JsonNode* node);

  // Drops one reference; frees the node, and every descendant that nothing
  // else holds, without recursion.
  static void Release(JsonNode* node) noexcept;

 private:
  static void SplitArray(JsonNode* node);
  static void SplitObject(JsonNode* node);
  static void BecomeNull(JsonNode* node, const std::wstring* shown);
};

}  // namespace cw
