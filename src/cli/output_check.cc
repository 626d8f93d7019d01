// Checking outputs for --skip-existing with the engine's definition.
#include "cli/output_check.h"

#include "media/probe_pool.h"
#include "media/source_probe.h"
#include "platform/translate.h"
#include "tasks/output_check.h"

namespace cw::cli {

OutputCheck CheckCompleteOutput(const std::wstring& output, const std::wstring& source, const std::wstring& probe,
                                int timeout_ms) {
  SourceFacts facts;
  const double span = ProbeFacts(probe, source, timeout_ms, &facts) ? SpanSeconds(facts) : -1;
  const int32_t span_ms = span >= 0 && span < 1e6 ? static_cast<int32_t>(span * 1000 + 0.5) : -1;
  std::wstring problem = CompleteOutputProblem(output, span_ms);
  return problem.empty() ? OutputCheck{true, L""} : OutputCheck{false, Tr(problem.c_str())};
}

}  // namespace cw::cli
