// cwdiag remaining: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunRemaining(const Args&) {
  std::fprintf(stderr, "cwdiag remaining: not built yet\n");
  return 2;
}

}  // namespace cw::diag
