// cwdiag json: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunJson(const Args&) {
  std::fprintf(stderr, "cwdiag json: not built yet\n");
  return 2;
}

}  // namespace cw::diag
