// The processor time the calling thread has used, for benchmarks that must
// tell work done from time spent waiting for a busy machine's processors.
#pragma once

namespace cw {

// Seconds of processor time used by the calling thread so far. Any thread.
double ThreadCpuSeconds();

}  // namespace cw
