// cwdiag catalog: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunCatalog(const Args&) {
  std::fprintf(stderr, "cwdiag catalog: not built yet\n");
  return 2;
}

}  // namespace cw::diag
