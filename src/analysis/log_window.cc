// Dropping the middle of a long encoder log.
#include "analysis/log_window.h"

namespace cw {

void KeepLogBounded(std::wstring* log) {
  if (log->size() <= kLogHeadChars + 2 * kLogTailChars) return;
  size_t tail_start = log->size() - kLogTailChars;
  log->replace(kLogHeadChars, tail_start - kLogHeadChars, kLogGapMarker);
}

}  // namespace cw
