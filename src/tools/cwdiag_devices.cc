// cwdiag devices: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunDevices(const Args&) {
  std::fprintf(stderr, "cwdiag devices: not built yet\n");
  return 2;
}

}  // namespace cw::diag
