// cwdiag json: parses UTF-8 JSON from standard input and prints the tree, one
// line per node, depth first:
//   <2 spaces per depth>TYPE name=N string=S int=I count=C
// S is read first (it converts the node), then the type, the whole number and
// the count. A text that does not parse prints "invalid_argument", status 1.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "json/json_value.h"
#include "json/json_walk.h"
#include "platform/text.h"
#include "tools/cwdiag.h"

namespace cw::diag {
namespace {

std::string ReadAllStdin() {
  std::string data;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, got);
  return data;
}

const char* TypeName(JsonType type) {
  switch (type) {
    case JsonString: return "string";
    case JsonNumber: return "number";
    case JsonBoolean: return "boolean";
    case JsonArray: return "array";
    case JsonObject: return "object";
    default: return "null";
  }
}

void AppendNodeLine(const JsonValue& value, int depth, std::string& out) {
  const std::string text = Quote(value.AsString());
  const JsonType type = value.GetType();
  const std::int64_t whole = value.AsInt64();
  const std::int32_t count = value.GetCount();
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  out += TypeName(type);
  out += " name=" + Quote(value.GetName());
  out += " string=" + text;
  out += " int=" + std::to_string(whole);
  out += " count=" + std::to_string(count);
  out += '\n';
}

}  // namespace

int RunJson(const Args& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: cwdiag json < FILE\n");
    return 2;
  }
  JsonValue root;
  try {
    root = JsonValue::Parse(SystemToWideReplacing(ReadAllStdin()));
  } catch (const std::invalid_argument&) {
    std::printf("invalid_argument\n");
    return 1;
  }
  std::string out;
  WalkJson(root, [&out](const JsonValue& value, int depth) {
    AppendNodeLine(value, depth, out);
    if (out.size() >= (1u << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace cw::diag
