// The shared, compiled-once log patterns.
#include "analysis/log_patterns.h"

namespace cw {

const LogPatterns& GetLogPatterns() {
  // A function-local static: initialised exactly once even when several
  // threads arrive at the same moment, never destroyed before exit matters.
  static const LogPatterns* const patterns = new LogPatterns();
  return *patterns;
}

}  // namespace cw
