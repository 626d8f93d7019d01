// Whether an output is already complete, for --skip-existing: the engine's
// own definition (CompleteOutputProblem in tasks/output_check.h: a whole MP4
// whose duration matches the source's span), the span from a probe of the
// source. An output cut short (the machine lost power, the disk filled) or
// shorter than its source is not complete, and its source is converted again.
#pragma once

#include <string>

namespace cw::cli {

// The result of one check; `reason` says why a file is not complete, in the
// user's language (it is only shown, never written into the events).
struct OutputCheck {
  bool complete = false;
  std::wstring reason;
};

// Checks the output at `output` of the source at `source`, whose span
// ffprobe (`probe`, killed after `timeout_ms`) tells; an unknown span leaves
// the length unjudged. Any thread.
OutputCheck CheckCompleteOutput(const std::wstring& output, const std::wstring& source, const std::wstring& probe,
                                int timeout_ms = 20000);

}  // namespace cw::cli
