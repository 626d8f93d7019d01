// cwdiag size: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunSize(const Args&) {
  std::fprintf(stderr, "cwdiag size: not built yet\n");
  return 2;
}

}  // namespace cw::diag
