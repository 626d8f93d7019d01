// cwdiag regex: placeholder until its engine exists.
#include <cstdio>

#include "tools/cwdiag.h"

namespace cw::diag {

int RunRegex(const Args&) {
  std::fprintf(stderr, "cwdiag regex: not built yet\n");
  return 2;
}

}  // namespace cw::diag
