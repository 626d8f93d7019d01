// cwdiag queue: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunQueue(const Args&) {
  std::fprintf(stderr, "cwdiag queue: not built yet\n");
  return 2;
}

}  // namespace cw::diag
