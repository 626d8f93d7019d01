// cwdiag log: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunLog(const Args&) {
  std::fprintf(stderr, "cwdiag log: not built yet\n");
  return 2;
}

}  // namespace cw::diag
