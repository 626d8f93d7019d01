// The JSON value tree: a small, lazy JSON reader for the device catalog and
// the settings text.
//
// Parse() checks and compacts the whole text but builds only the root node.
// A container is split into its children, a string unescaped and a number
// converted the first time that value is read; a malformed inner value reads
// as null. Values are cheap handles to shared, reference-counted nodes with
// copy-on-write: a node is copied only when a handle that shares it is about
// to change it.
//
// Threads: none of this is synchronised. A tree (and every handle into it)
// must stay on one thread. Any thread may use a tree of its own.
//
// Depth: no operation recurses over the tree, so arbitrarily deep texts can be
// parsed, walked (see json_walk.h), copied and released without exhausting
// the stack. Copy-on-write copies one node at a time: a copy shares its
// children, and each child is copied in its turn only when it is changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cw {

// The type of a JSON node.
enum JsonType : std::uint8_t {
  JsonNull = 0,     // `null`, an empty text, or a text that fits no other type
  JsonString = 1,   // begins and ends with '"'
  JsonNumber = 2,   // passes the number syntax
  JsonBoolean = 3,  // exactly `true` or `false`
  JsonArray = 4,    // begins with '[' and ends with ']'
  JsonObject = 5,   // begins with '{' and ends with '}'
};

struct JsonNode;

// A handle to a shared JSON node. Copying shares the node; the handle owns one
// reference and the node owns its children. A default-constructed (or
// moved-from) JsonValue is a null value: JsonNull, AsString() "null".
class JsonValue {
 public:
  JsonValue() noexcept = default;
  JsonValue(const JsonValue& other) noexcept;
  JsonValue(JsonValue&& other) noexcept;
  JsonValue& operator=(const JsonValue& other) noexcept;
  JsonValue& operator=(JsonValue&& other) noexcept;
  ~JsonValue();

  // Compacts `text` (drops whitespace outside strings, keeps comments as
  // "#...#" segments) and returns the root node. Throws std::invalid_argument
  // with an empty message when the text, after leading comments, is not one
  // array or one object (`[`...`]` or `{`...`}`).
  static JsonValue Parse(std::wstring_view text);

  // The node's current type, without converting it. A container whose split
  // later fails turns into JsonNull when it is first read.
  JsonType GetType() const noexcept;

  // The member name (empty for array elements and for the root). The
  // reference stays valid while this node is alive and unchanged.
  const std::wstring& GetName() const noexcept;

  // Converts the node if needed (in place: nothing a sharer can read
  // changes) and returns its text: a string's unescaped content, a number's
  // source text ("1.50"), "true"/"false", "null" for a null, and "" for an
  // array, an object, an empty value or a container whose split failed. The
  // reference stays valid while this node is alive and unchanged.
  const std::wstring& AsString() const;

  // Converts the node if needed and returns a whole number: a number's value
  // or a string's content read as a decimal number, truncated toward zero
  // (saturated at the 64-bit limits); 1/0 for true/false; 0 otherwise.
  std::int64_t AsInt64() const;

  // Converts the node if needed; the number of children (0 for a
  // non-container).
  std::int32_t GetCount() const;

  // Child iteration, children in source order. The non-const overloads first
  // make the node private (copy-on-write) so that changes through the yielded
  // children never reach other sharers; the const overloads only convert.
  // Both yield an empty range for a non-container. The pointers are
  // invalidated by any change of this value (TakeFirst, assignment, ...);
  // a copy of this value made during the loop shares the children that the
  // loop may change, so copy it before the loop, not inside it.
  JsonValue* begin();
  JsonValue* end();
  const JsonValue* begin() const;
  const JsonValue* end() const;

  // The first child whose name equals `name` exactly (case-sensitive), or
  // nothing. Returns nothing for a non-container.
  std::optional<JsonValue> Find(std::wstring_view name) const;

  // An object gives this node, shared. An array gives a private copy of type
  // JsonObject with the same children in the same order. Anything else gives
  // a new empty object.
  JsonValue ToObject() const;

  // An array gives this node, shared. An object gives a private copy of type
  // JsonArray with the same children in the same order, every child's name
  // cleared. Anything else gives a new empty array.
  JsonValue ToArray() const;

  // Makes the node private, converts it, removes its first child and returns
  // it. Throws std::out_of_range with an empty message when this is not a
  // container or has no children.
  JsonValue TakeFirst();

 private:
  friend class JsonTree;
  explicit JsonValue(JsonNode* node) noexcept : node_(node) {}

  // Copy-on-write: when the node is shared, points this handle at a copy.
  void MakePrivate();

  JsonNode* node_ = nullptr;
};

}  // namespace cw
