// cwdiag settings: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunSettings(const Args&) {
  std::fprintf(stderr, "cwdiag settings: not built yet\n");
  return 2;
}

}  // namespace cw::diag
