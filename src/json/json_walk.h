// Depth-first walk of a JSON tree without recursion, so that texts nested
// arbitrarily deep can be walked on any stack.
#pragma once

#include <utility>
#include <vector>

#include "json/json_value.h"

namespace cw {

// Calls visit(value, depth) for `root` (depth 0) and then for every
// descendant, depth first, children in order, using the const child
// iteration (which converts nodes in place and copies nothing). `visit` must
// not change the tree. Same thread as the tree.
template <typename Visit>
void WalkJson(const JsonValue& root, Visit&& visit) {
  visit(root, 0);
  std::vector<std::pair<const JsonValue*, const JsonValue*>> ranges;
  ranges.emplace_back(root.begin(), root.end());
  while (!ranges.empty()) {
    auto& [next, last] = ranges.back();
    if (next == last) {
      ranges.pop_back();
      continue;
    }
    const JsonValue& child = *next++;
    visit(child, static_cast<int>(ranges.size()));
    ranges.emplace_back(child.begin(), child.end());
  }
}

}  // namespace cw
